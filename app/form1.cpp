#include "app/form1.h"

#include "app/control_factory.h"
#include "app/control_table.h"
#include "app/dpi_scaling.h"
#include "app/fonts.h"
#include "app/stored_comm.h"
#include "app/system_colors.h"
#include "comm/comm.h"
#include "discovery/box/device_box.h"
#include "runtime/application.h"
#include "runtime/component.h"
#include "runtime/decimal_separator.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QMetaObject>

#include <algorithm>
#include <map>
#include <vector>

namespace app {

TForm1::TForm1(QWidget* parent, bool WithSkin, const QString& SkinChoice)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    fPpi = Widget_Ppi(this);
    Create_Skin_Manager(WithSkin, SkinChoice);
    Build_Stored_Form();
    Build_Comm();
    kSkinManager1->Loaded();
    Bind_Events();
    runtime::RunGuarded([this] { FormCreate(); });
    Attach_Skin();
}

TForm1::~TForm1()
{
    runtime::RunGuarded([this] { FormDestroy(); });
}

void TForm1::Build_Stored_Form()
{
    const WindowSpec& window = Window_Spec();
    setWindowTitle(QString::fromUtf8(window.caption));
    setFont(Make_Font(window.font, fPpi));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, System_Color(window.background));
    palette.setColor(QPalette::WindowText, System_Color(window.font.color));
    setPalette(palette);
    move(Scale_For_Ppi(window.left, fPpi), Scale_For_Ppi(window.top, fPpi));

    std::map<std::string, QWidget*> built;
    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const ControlSpec& desc : Control_Table()) {
        QWidget* parent = desc.parent ? built.at(desc.parent) : this;
        QWidget* control = Create_Control(desc, parent, fPpi);
        built[desc.name] = control;
        if (desc.tabOrder >= 0)
            tabOrder.emplace_back(desc.tabOrder, control);
    }
    std::sort(tabOrder.begin(), tabOrder.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

    auto find = [&built]<typename T>(T*& member, const char* name) { member = static_cast<T*>(built.at(name)); };
    find(Panel1, "Panel1");
    find(Label_Number, "Label_Number");
    find(Label3, "Label3");
    find(Label_Status, "Label_Status");
    find(Btn_Zero, "Btn_Zero");
    find(Btn_Cal, "Btn_Cal");
    find(Btn_W_dBm, "Btn_W_dBm");
    find(kSpeedButton_Vkl, "kSpeedButton_Vkl");
    find(CheckBox1, "CheckBox1");
    find(cmDeviceBox1, "cmDeviceBox1");
    find(Lbl_Freq, "Lbl_Freq");
    find(kEdit_Freq, "kEdit_Freq");
    find(kLabel1, "kLabel1");
}

void TForm1::Build_Comm()
{
    Comm = new comm::TcmComm(this);
    runtime::LoadComponents(this, [this] {
        Apply_Stored_Comm_Settings(*Comm);
        Comm->OnAfterReceive = [this](comm::TcmBaseIO* com, const std::uint8_t* buffer, std::uint32_t received) {
            CommAfterReceive(com, buffer, received);
        };
        // Binding makes the component list the machine's ports.
        cmDeviceBox1->SetcmComm(Comm);
        cmDeviceBox1->SetResetOnChanged(false);
    });
    Bind_Session();
}

void TForm1::Bind_Events()
{
    connect(kSpeedButton_Vkl, &TkSpeedButton::clicked, this, [this] { kSpeedButton_VklClick(); });
    connect(Btn_Cal, &TkSpeedButton::clicked, this, [this] { Btn_CalClick(); });
    connect(Btn_Zero, &TkSpeedButton::clicked, this, [this] { Btn_ZeroClick(); });
    connect(Btn_W_dBm, &TkSpeedButton::clicked, this, [this] { Btn_W_dBmClick(); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    kEdit_Freq->OnClick = [this] { runtime::RunGuarded([this] { kEdit_FreqClick(); }); };
    kEdit_Freq->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == kEdit_Freq && event->type() == QEvent::KeyPress)
        runtime::RunGuarded([&] { kEdit_FreqKeyDown(static_cast<QKeyEvent*>(event)->key()); });
    return QWidget::eventFilter(watched, event);
}

void TForm1::FormCreate()
{
    Comm->SetBaudRate(9600);
    Comm->SetStreamProtocol(comm::spNone);
    Comm->SetTraceStates(comm::TraceSet(comm::tsRxChar));
    Comm->SetActive(false);
    Apply_Dpi_Table();
    kEdit_Freq->setReadOnly(true);
    Unit1State& u = Unit1();
    Label_Status->setText("i");
    u.Running = 0;
    u.dBm_Mode = 0;
    Label_Number->setText("");
    kSpeedButton_Vkl->setEnabled(false);
    Label3->setText("000.0 uW");
    cmDeviceBox1->hide();
    u.Saved_Decimal_Separator = runtime::DecimalSeparator();
    if (u.Saved_Decimal_Separator == u',')
        runtime::SetDecimalSeparator(u'.');
    cmDeviceBox1->Reload();
    u.Port_Count = static_cast<std::uint16_t>(cmDeviceBox1->count());
    if (u.Port_Count > 0)
        kSpeedButton_Vkl->setEnabled(true);
}

void TForm1::FormDestroy()
{
    if (fDestroyed)
        return;
    fDestroyed = true;
    if (Comm)
        Comm->SetActive(false);
    runtime::SetDecimalSeparator(Unit1().Saved_Decimal_Separator);
}

void TForm1::Apply_Dpi_Table()
{
    for (const DpiRow& row : Dpi_Table()) {
        const Bounds b = Scale_Bounds(row.design, fPpi);
        if (!row.name) {
            Set_Outer_Size(b.width, b.height);
            continue;
        }
        auto* control = findChild<QWidget*>(QString::fromUtf8(row.name));
        control->setGeometry(b.left, b.top, b.width, b.height);
    }
}

// The stored size is the outer size; the frame is the platform's, known once shown.
void TForm1::Set_Outer_Size(int width, int height)
{
    fOuterSize = QSize(width, height);
    Apply_Outer_Size();
}

void TForm1::Apply_Outer_Size()
{
    if (fOuterSize.isEmpty())
        return;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QSize frame(outer.width() - inner.width(), outer.height() - inner.height());
    const QSize client = fOuterSize - frame;
    if (client != size() || minimumSize() != client || maximumSize() != client)
        setFixedSize(client);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Apply_Outer_Size();
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    Apply_Outer_Size();
}

void TForm1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runtime::RunGuarded([this] { FormActivate(); });
}

void TForm1::Run_Click_Handler(const std::function<void()>& body)
{
    ++fHandlerDepth;
    runtime::RunGuarded(body);
    --fHandlerDepth;
    if (fHandlerDepth == 0 && fCloseHeld) {
        fCloseHeld = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The running handler pumps messages; ending the program under it would
    // pull the window away from a loop that still uses it.
    if (fHandlerDepth > 0) {
        fCloseHeld = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace app
