#include "discovery/box/device_box.h"

#include "comm/base_io.h"
#include "discovery/enum/device_list.h"
#include "runtime/application.h"
#include "runtime/post.h"

#include <QThread>

namespace discovery {

namespace {
constexpr int kDeviceRole = Qt::UserRole;
constexpr int kDefaultDropDownCount = 8;
} // namespace

TcmDeviceBox::TcmDeviceBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false); // drop-down list: the text cannot be edited
    setMaxVisibleItems(kDefaultDropDownCount);
    // activated, unlike currentIndexChanged, also reports a pick of the item already selected.
    connect(this, &QComboBox::activated, this, &TcmDeviceBox::Picked);
}

TcmDeviceBox::~TcmDeviceBox()
{
    if (fComm)
        fComm->NotifyDelete(comm::MakeNotifyEvent(this, &TcmDeviceBox::NotifyHandler));
}

void TcmDeviceBox::SetcmComm(comm::TcmBaseIO* value)
{
    clear();
    setCurrentIndex(-1);
    const auto handler = comm::MakeNotifyEvent(this, &TcmDeviceBox::NotifyHandler);
    if (value) {
        TcmDeviceEntries entries;
        value->GetDeviceList(&entries);
        for (const auto& [text, device] : entries)
            addItem(QString::fromStdString(text), QVariant::fromValue(static_cast<void*>(device)));
        setCurrentIndex(value->DeviceIndex());
        value->NotifyAdd(handler);
        connect(value, &QObject::destroyed, this, &TcmDeviceBox::CommDestroyed, Qt::UniqueConnection);
    }
    if (fComm && fComm != value)
        fComm->NotifyDelete(handler);
    fComm = value;
    fCommObject = value;
}

void TcmDeviceBox::Reload()
{
    SetcmComm(fComm);
}

TcmDevice* TcmDeviceBox::Device(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return static_cast<TcmDevice*>(itemData(index, kDeviceRole).value<void*>());
}

void TcmDeviceBox::Change()
{
    if (!fComm)
        return;
    fComm->SetDeviceIndex(currentIndex());
    if (OnChange)
        OnChange(this);
}

void TcmDeviceBox::WMDeviceChange(TWMDeviceChange& message)
{
    if (fComm)
        fComm->WMDeviceChange(message);
}

void TcmDeviceBox::NotifyHandler(QObject*, std::int32_t code)
{
    if (code != comm::ncPortChanged)
        return;
    if (QThread::currentThread() == thread())
        Reload();
    else // a widget is only touched on its own thread
        runtime::PostCall(this, [this] { runtime::RunGuarded([this] { Reload(); }); });
}

void TcmDeviceBox::CommDestroyed(QObject* component)
{
    if (!component || component != fCommObject)
        return;
    fComm = nullptr;
    fCommObject = nullptr;
    setCurrentIndex(-1);
    // The texts stay; the devices went with their component.
    for (int i = 0; i < count(); ++i)
        setItemData(i, QVariant::fromValue(static_cast<void*>(nullptr)), kDeviceRole);
}

void TcmDeviceBox::Picked(int)
{
    runtime::RunGuarded([this] { Change(); });
}

} // namespace discovery
