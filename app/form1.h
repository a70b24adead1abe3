#pragma once
// The main window. It owns the controls of its stored form (control_table.h)
// and keeps the application's handlers; the handlers cooperate through the
// shared state (unit1_state.h). A click handler may run for a long time while
// it pumps messages; the other handlers then run nested inside it.

#include "app/skinned_kinds.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QColor;
class QComboBox;
class QFrame;

namespace discovery {
class TcmDeviceBox;
}

namespace comm {
class TcmBaseIO;
class TcmComm;
} // namespace comm

namespace app {

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // WithSkin false builds the same window without its internal skin (for
    // comparisons). SkinChoice, when not empty, names the skin to start with
    // instead of the stored one (skin_choice.h).
    explicit TForm1(QWidget* parent = nullptr, bool WithSkin = true, const QString& SkinChoice = {});
    ~TForm1() override;

    // Controls, by their stored names.
    QFrame* Panel1 = nullptr;
    QLabel* Label_Number = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label_Status = nullptr;
    TkSpeedButton* Btn_Zero = nullptr;
    TkSpeedButton* Btn_Cal = nullptr;
    TkSpeedButton* Btn_W_dBm = nullptr;
    TkSpeedButton* kSpeedButton_Vkl = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    discovery::TcmDeviceBox* cmDeviceBox1 = nullptr;
    TkLabel* Lbl_Freq = nullptr;
    TkEdit* kEdit_Freq = nullptr;
    TkLabel* kLabel1 = nullptr;
    skin::TkSkinManager* kSkinManager1 = nullptr;

    // The serial port component (owned by the window; replaced when the port list is rebuilt).
    QPointer<comm::TcmComm> Comm;

    // Window events.
    void FormCreate();
    void FormActivate();
    void FormDestroy();

    // Control events.
    void kSpeedButton_VklClick();
    void Btn_CalClick();
    void Btn_ZeroClick();
    void Btn_W_dBmClick();
    void CheckBox1Click();

    // Replaces Comm by a fresh component and lists the machine's ports anew.
    void Reload_COM_PORT();
    void kEdit_FreqClick();
    void kEdit_FreqKeyDown(int key);

    // The exchange with the sensor.
    void Send_Command(const std::string& text);
    void Wait_Reply(std::uint32_t ms);
    void Show_Status(const std::string& text);
    void CommAfterReceive(comm::TcmBaseIO* com, const std::uint8_t* buffer, std::uint32_t received);

    std::string Format_W(const std::string& reply);
    std::string Format_dBm(const std::string& reply);
    std::uint16_t Parse_Port_Number(const std::string& entry);

    // Runs a click handler's body with the default error report. A request to
    // close the window that arrives meanwhile is held and carried out once the
    // outermost handler has returned.
    void Run_Click_Handler(const std::function<void()>& body);
    bool Handler_Running() const { return fHandlerDepth > 0; }
    bool Close_Held() const { return fCloseHeld; }

    // The resolution the window was laid out for.
    int Ppi() const { return fPpi; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build_Stored_Form();
    void Create_Skin_Manager(bool withSkin, const QString& skinChoice);
    void Attach_Skin();
    void Build_Comm();
    void Fill_Port_Table();
    void Bind_Events();
    void Apply_Dpi_Table();
    void Set_Outer_Size(int width, int height);
    void Apply_Outer_Size();

    // The On/Off click (form1_connection.cpp, form1_poll_loop.cpp). Every
    // click that starts a run takes a new run number; a run whose number is
    // no longer current, or whose stop was requested, is over.
    void Vkl_Click();
    void Off_Steps();
    bool Run_Over(std::uint32_t run) const;
    void Automatic_Scan(std::uint32_t run);
    bool Try_Port(std::uint32_t run, std::uint16_t port);
    void Manual_Attempt(std::uint32_t run);
    void Identify(std::uint32_t run);
    void Poll_Loop(std::uint32_t run);
    void Poll_Pass(std::uint32_t run);
    void Flash_Overload();
    void Confirmed_Command(std::uint32_t run, const std::string& command, std::uint32_t waitMs,
                           const std::string& okStatus, const std::string& errorStatus, std::int32_t& request);
    void Reference_Command(const std::string& command, std::int32_t& request);
    void Frequency_Command(std::uint32_t run);
    void Set_Freq_Colors(const QColor& background, const QColor& text);
    void Open_Port(std::uint16_t port);
    void Close_Port();

    std::uint32_t fRun = 0;
    int fPpi = 96;
    QSize fOuterSize;
    int fHandlerDepth = 0;
    bool fCloseHeld = false;
    bool fDestroyed = false;
};

} // namespace app
