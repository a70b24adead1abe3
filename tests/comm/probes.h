#pragma once
// Small subclasses that open the protected parts of the components to tests,
// and a data processor that records what the port hands it.

#include "comm/comm.h"
#include "comm/data_processor.h"

#include <functional>
#include <string>
#include <vector>

namespace comm_test {

// An I/O component over a stand-in device (no OS handle behind it) that can
// run the generic worker thread.
class ProbeIO : public comm::TcmBaseIO {
public:
    using comm::TcmBaseIO::TcmBaseIO;
    using comm::TcmBaseIO::DoDataReceived;
    using comm::TcmBaseIO::NotifyCall;
    using comm::TcmBaseIO::RaiseFatalError;

    void EnableWorker() { isThreaded = true; }
    std::function<void(comm::TcmThreadIO*)> body;
    platform::Handle device = 42;

protected:
    platform::Handle OpenDeviceHandle() override { return device; }
    void CloseDeviceHandle(platform::Handle) override {}
    void ThreadBody(comm::TcmThreadIO* thread) override
    {
        if (body)
            body(thread);
    }
};

class ProbeComm : public comm::TcmComm {
public:
    using comm::TcmComm::TcmComm;
    // A subclass stops the port's threads before its own part goes away.
    ~ProbeComm() override { Shutdown(); }
    using comm::TcmComm::RaiseFatalError;
    using comm::TcmComm::ReportLineState;
    using comm::TcmComm::Rs485Emulated;
    using comm::TcmComm::ReadPortConfig;
    using comm::TcmComm::WriteLog;
    using comm::TcmComm::WriteLogFmt;

    bool SwitchesRtsItself() const { return fIsNotSupportRS485; }

    // Opens without the receive threads, so that only the caller's own calls
    // can notice what happens to the line.
    bool withoutReceiveThreads = false;

protected:
    void StartThreads() override
    {
        if (!withoutReceiveThreads)
            comm::TcmComm::StartThreads();
    }
};

class ProbeProcessor : public comm::TcmCustomDataProcessor {
public:
    using comm::TcmCustomDataProcessor::TcmCustomDataProcessor;
    void SetDevice(comm::TcmBaseIO* io) override
    {
        devices.push_back(io);
        device = io;
    }
    void DoProcessing(const std::uint8_t* data, std::uint32_t len, comm::TIgnoreTypes& r) override
    {
        seen.append(reinterpret_cast<const char*>(data), len);
        if (trace)
            trace->push_back("processor");
        r = ignore;
    }
    void DoAfterSendComplete(bool& flIgnore) override
    {
        ++sendCompletes;
        flIgnore = ignoreSend;
    }

    std::vector<comm::TcmBaseIO*> devices;
    comm::TcmBaseIO* device = nullptr;
    std::string seen;
    std::vector<std::string>* trace = nullptr;
    comm::TIgnoreTypes ignore = 0;
    bool ignoreSend = false;
    int sendCompletes = 0;
};

} // namespace comm_test
