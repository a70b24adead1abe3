// Saving and loading the port settings in the settings store.

#include "comm/custom_serial_comm.h"
#include "comm/port_config_record.h"

namespace comm {
namespace {

constexpr char kSaveError[] = "Error on save config information from registry";
constexpr char kLoadError[] = "Error on load config information from registry";

struct StoreFailure {
    platform::ErrorCode code;
};

void Check(platform::ErrorCode code)
{
    if (code != platform::kErrorSuccess)
        throw StoreFailure{code};
}

} // namespace

void TcmCustomSerialComm::SaveConfig(platform::SettingsRoot root, const std::string& key, const std::string& name)
{
    try {
        platform::SettingsKey store;
        Check(store.Open(root, key, true));
        const PortConfigRecord record = PackPortConfig(ComPortNo(), CommCfg.dcb, fCommTimeouts);
        Check(store.SetValue(name, platform::SettingsValue::Binary(record.data(), record.size())));
        store.Close();
        WriteLog(dlDetail, "Configuration was saved");
    } catch (...) {
        RaiseFatalError(1, 0, kSaveError, false);
    }
}

void TcmCustomSerialComm::LoadConfig(platform::SettingsRoot root, const std::string& key, const std::string& name)
{
    try {
        platform::SettingsKey store;
        Check(store.Open(root, key, true));
        platform::SettingsValue value;
        const platform::ErrorCode found = store.QueryValue(name, value);
        if (found != platform::kErrorFileNotFound)
            Check(found);
        // A value of another size is not ours and is left alone.
        if (found == platform::kErrorSuccess && value.data.size() == kPortConfigSize) {
            if (value.type != platform::SettingsType::Binary)
                throw StoreFailure{platform::kErrorBadDb};
            ApplyStoredConfig(UnpackPortConfig(std::span<const std::uint8_t, kPortConfigSize>(value.data.data(),
                                                                                               kPortConfigSize)));
        }
        store.Close();
        WriteLog(dlDetail, "Configuration was loaded");
    } catch (...) {
        RaiseFatalError(1, 0, kLoadError, false);
    }
}

void TcmCustomSerialComm::ApplyStoredConfig(const PortConfig& config)
{
    SetComPortNo(config.portNo);
    CommCfg.dcb = config.dcb;
    // The same rule as ByteSize's setter: a stored size the port cannot have becomes 8.
    if (CommCfg.dcb.ByteSize < 4 || CommCfg.dcb.ByteSize > 8)
        CommCfg.dcb.ByteSize = 8;
    ApplyPortConfig();
    fCommTimeouts = config.timeouts;
    ApplyTimeouts();
}

} // namespace comm
