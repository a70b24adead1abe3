#pragma once
// The stored form of the main window: every control with its kind, parent,
// stored bounds, text, font and settings, and the DPI table FormCreate lays
// the window out by. All values are at the design resolution of 96 ppi.

#include <cstdint>
#include <span>

namespace app {

inline constexpr int kDesignPpi = 96;

// SkinnedLabel: a label of the skinning layer (TkLabel); Label: a standard one.
enum class ControlKind { Panel, Label, SpeedButton, CheckBox, DeviceBox, Edit, SkinnedLabel };

// System colours the stored form names (mapped onto the platform's palette).
enum class SysColor { None, WindowText, DarkShadow, Window, BtnFace, Black };

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
};

struct FontSpec {
    const char* family = nullptr;  // nullptr: the parent's font
    int height = 0;                // character height in pixels
    bool bold = false;
    SysColor color = SysColor::None;
};

enum ControlFlag : unsigned {
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kChecked = 1u << 2,
    kReadOnly = 1u << 3,
    kAlignRight = 1u << 4,
    kAlignCenter = 1u << 5,
    kFlat = 1u << 6,
    kOwnBackground = 1u << 7,
};

enum class Glyph { None, Zero, Cal };

inline constexpr std::uint32_t kNoColor = 0xFFFFFFFFu;

struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* parent;  // nullptr: the window
    Bounds stored;
    const char* text;
    FontSpec font;
    unsigned flags = 0;
    int tabOrder = -1;
    std::uint32_t color = kNoColor;  // 0xRRGGBB background
    Glyph glyph = Glyph::None;
    SysColor sysColor = SysColor::None;  // a system colour as the background instead
};

struct WindowSpec {
    const char* caption;
    int left, top;
    FontSpec font;
    SysColor background;
};

// A row of the DPI table; the window's own row has no name and only a size.
struct DpiRow {
    const char* name;
    Bounds design;
};

const WindowSpec& Window_Spec();
std::span<const ControlSpec> Control_Table();
std::span<const DpiRow> Dpi_Table();

} // namespace app
