#pragma once
// The port settings dialog: bits per second, data bits, parity, stop bits and
// flow control of one port, edited on a copy of its DCB. A plain top-level
// dialog (owned by the window that was in front), so the program's automatic
// skinning treats it like any other dialog. Fully usable from the keyboard:
// every field has an accelerator, Enter confirms, Escape cancels.

#include "comm/comm_types.h"
#include "platform/serial_types.h"

#include <QDialog>

#include <string>

class QComboBox;
class QPushButton;

namespace comm {

class TcmPortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // dcb: the settings to start from; defaults: what "Restore Defaults" shows.
    TcmPortSettingsDialog(const std::string& portName, const platform::Dcb& dcb, const platform::Dcb& defaults,
                          QWidget* owner = nullptr);

    // The DCB with the user's choices. The flow-control bits change only when
    // the user chose another flow control, so settings the dialog does not
    // show (an RS-485 RTS toggle, DSR flow) survive a confirm.
    platform::Dcb EditedDcb() const;

    QComboBox* BaudRateBox() const { return fBaud; }
    QComboBox* DataBitsBox() const { return fDataBits; }
    QComboBox* ParityBox() const { return fParity; }
    QComboBox* StopBitsBox() const { return fStopBits; }
    QComboBox* FlowControlBox() const { return fFlow; }
    QPushButton* OkButton() const { return fOk; }

private:
    void BuildLayout();
    void Show(const platform::Dcb& dcb);
    void RestoreDefaults();
    void CheckBaudRate();
    std::uint32_t TypedBaudRate(bool* ok) const;

    platform::Dcb fDcb;
    platform::Dcb fDefaults;
    TStreamProtocol fShownFlow = spNone;
    QComboBox* fBaud = nullptr;
    QComboBox* fDataBits = nullptr;
    QComboBox* fParity = nullptr;
    QComboBox* fStopBits = nullptr;
    QComboBox* fFlow = nullptr;
    QPushButton* fOk = nullptr;
};

// Shows the dialog for portName modally and writes the confirmed settings
// into config. False, leaving config alone, when the user cancels or there is
// no such port.
bool EditPortSettings(const std::string& portName, platform::CommConfig& config, QWidget* owner);

} // namespace comm
