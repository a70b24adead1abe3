#include "comm/port_settings_dialog.h"

#include "comm/line_flags.h"
#include "platform/serial.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <limits>

namespace comm {
namespace {

constexpr std::uint32_t kBaudRates[] = {110,   300,   600,    1200,   2400,   4800,   9600,   14400, 19200,
                                        38400, 57600, 115200, 128000, 230400, 256000, 460800, 921600};

QComboBox* NewChoice(QWidget* parent, std::initializer_list<std::pair<const char*, int>> items)
{
    auto* box = new QComboBox(parent);
    for (const auto& [text, value] : items)
        box->addItem(QString::fromUtf8(text), value);
    return box;
}

// Selects the item carrying value; none when no item does.
void Select(QComboBox* box, int value)
{
    box->setCurrentIndex(box->findData(value));
}

// The value of the selected item, or fallback when none is selected.
template <class T>
T Chosen(const QComboBox* box, T fallback)
{
    return box->currentIndex() < 0 ? fallback : static_cast<T>(box->currentData().toInt());
}

} // namespace

TcmPortSettingsDialog::TcmPortSettingsDialog(const std::string& portName, const platform::Dcb& dcb,
                                             const platform::Dcb& defaults, QWidget* owner)
    : QDialog(owner), fDcb(dcb), fDefaults(defaults)
{
    setWindowTitle(QString::fromStdString(portName) + tr(" Port Settings"));
    BuildLayout();
    Show(dcb);
    fShownFlow = line_flags::ProtocolOf(dcb.Flags);
    fBaud->setFocus();
}

void TcmPortSettingsDialog::BuildLayout()
{
    fBaud = new QComboBox(this);
    fBaud->setEditable(true);
    fBaud->setInsertPolicy(QComboBox::NoInsert);
    // Typed digits stay as typed: no list entry completes an emptied field.
    fBaud->setCompleter(nullptr);
    for (std::uint32_t rate : kBaudRates)
        fBaud->addItem(QString::number(rate), static_cast<int>(rate));
    fBaud->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[1-9][0-9]{0,9}")), fBaud));
    fDataBits = NewChoice(this, {{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}});
    fParity = NewChoice(this, {{"None", platform::NOPARITY},
                               {"Odd", platform::ODDPARITY},
                               {"Even", platform::EVENPARITY},
                               {"Mark", platform::MARKPARITY},
                               {"Space", platform::SPACEPARITY}});
    fStopBits = NewChoice(this,
                          {{"1", platform::ONESTOPBIT}, {"1.5", platform::ONE5STOPBITS}, {"2", platform::TWOSTOPBITS}});
    fFlow = NewChoice(this, {{"None", spNone}, {"Xon / Xoff", spXonXoff}, {"Hardware", spHardware}});

    auto* form = new QFormLayout;
    auto addRow = [&](const QString& label, QComboBox* box) {
        auto* text = new QLabel(label, this);
        text->setBuddy(box);
        form->addRow(text, box);
    };
    addRow(tr("&Bits per second:"), fBaud);
    addRow(tr("&Data bits:"), fDataBits);
    addRow(tr("&Parity:"), fParity);
    addRow(tr("&Stop bits:"), fStopBits);
    addRow(tr("&Flow control:"), fFlow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::RestoreDefaults, this);
    fOk = buttons->button(QDialogButtonBox::Ok);
    fOk->setText(tr("&OK"));
    fOk->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText(tr("&Restore Defaults"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &TcmPortSettingsDialog::RestoreDefaults);
    connect(fBaud, &QComboBox::editTextChanged, this, &TcmPortSettingsDialog::CheckBaudRate);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget::setTabOrder(fBaud, fDataBits);
    QWidget::setTabOrder(fDataBits, fParity);
    QWidget::setTabOrder(fParity, fStopBits);
    QWidget::setTabOrder(fStopBits, fFlow);
}

void TcmPortSettingsDialog::Show(const platform::Dcb& dcb)
{
    Select(fBaud, static_cast<int>(dcb.BaudRate));
    fBaud->setEditText(QString::number(dcb.BaudRate));
    // A byte size the list does not offer (4) is still shown as it is.
    if (fDataBits->findData(dcb.ByteSize) < 0)
        fDataBits->insertItem(0, QString::number(dcb.ByteSize), dcb.ByteSize);
    Select(fDataBits, dcb.ByteSize);
    Select(fParity, dcb.Parity);
    Select(fStopBits, dcb.StopBits);
    Select(fFlow, line_flags::ProtocolOf(dcb.Flags));
    CheckBaudRate();
}

void TcmPortSettingsDialog::RestoreDefaults()
{
    Show(fDefaults);
}

std::uint32_t TcmPortSettingsDialog::TypedBaudRate(bool* ok) const
{
    const qulonglong value = fBaud->currentText().toULongLong(ok);
    *ok = *ok && value > 0 && value <= std::numeric_limits<std::uint32_t>::max();
    return *ok ? static_cast<std::uint32_t>(value) : 0;
}

void TcmPortSettingsDialog::CheckBaudRate()
{
    bool ok = false;
    TypedBaudRate(&ok);
    fOk->setEnabled(ok);
}

platform::Dcb TcmPortSettingsDialog::EditedDcb() const
{
    platform::Dcb dcb = fDcb;
    bool ok = false;
    if (const std::uint32_t baud = TypedBaudRate(&ok); ok)
        dcb.BaudRate = baud;
    dcb.ByteSize = Chosen<std::uint8_t>(fDataBits, dcb.ByteSize);
    dcb.Parity = Chosen<std::uint8_t>(fParity, dcb.Parity);
    // Parity checking follows a new parity, as with the component's Parity setter.
    if (dcb.Parity != fDcb.Parity) {
        if (dcb.Parity == platform::NOPARITY)
            dcb.Flags &= ~line_flags::fParity;
        else
            dcb.Flags |= line_flags::fParity;
    }
    dcb.StopBits = Chosen<std::uint8_t>(fStopBits, dcb.StopBits);
    const auto flow = Chosen<TStreamProtocol>(fFlow, fShownFlow);
    if (flow != fShownFlow)
        dcb.Flags = line_flags::WithFlowControl(dcb.Flags, flow, false);
    return dcb;
}

bool EditPortSettings(const std::string& portName, platform::CommConfig& config, QWidget* owner)
{
    platform::CommConfig defaults;
    if (!platform::GetDefaultCommConfig(portName, defaults))
        return false;
    TcmPortSettingsDialog dialog(portName, config.dcb, defaults.dcb, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    config.dcb = dialog.EditedDcb();
    return true;
}

} // namespace comm
