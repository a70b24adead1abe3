#include "peers.h"

#include "comm/comm.h"
#include "platform/port_names.h"

#include <asio.hpp>

#include <QSerialPort>

#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace bench {
namespace {

// A blocking read() loop on its own thread: the limit.
class PlainLoop : public Receiver {
public:
    std::string Name() const override { return "plain read() loop"; }
    bool OnGuiThread() const override { return false; }
    bool Open(const std::string& slavePath) override
    {
        fFd = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fFd < 0)
            return false;
        termios t{};
        tcgetattr(fFd, &t);
        cfmakeraw(&t);
        // read() returns as soon as a byte is there, or after 100 ms with
        // nothing so the loop can see its stop flag.
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 1;
        tcsetattr(fFd, TCSANOW, &t);
        fThread = std::thread([this] { Loop(); });
        return true;
    }
    void Close() override
    {
        fStop = true;
        fThread.join();
        close(fFd);
    }

private:
    void Loop()
    {
        char buf[8192];
        while (!fStop) {
            const ssize_t n = read(fFd, buf, sizeof buf);
            if (n < 0)
                break;
            if (n > 0) {
                received += static_cast<std::uint64_t>(n);
                ++deliveries;
            }
            if (echo && n > 0 && write(fFd, buf, static_cast<std::size_t>(n)) < 0)
                break;
        }
    }

    int fFd = -1;
    std::atomic<bool> fStop{false};
    std::thread fThread;
};

// Our serial component, delivering to OnAfterReceive on the GUI thread or,
// with UseMainThread off, on its message thread.
class Component : public Receiver {
public:
    Component(bool useMainThread, unsigned portNo) : fMainThread(useMainThread), fPortNo(portNo) {}
    std::string Name() const override
    {
        return fMainThread ? "TcmComm UseMainThread on" : "TcmComm UseMainThread off";
    }
    bool OnGuiThread() const override { return fMainThread; }
    bool Open(const std::string& slavePath) override
    {
        platform::RegisterPort(fPortNo, slavePath);
        fCom = std::make_unique<comm::TcmComm>();
        fCom->SetComPortNo(static_cast<std::uint16_t>(fPortNo));
        fCom->SetBaudRate(9600);
        fCom->SetStreamProtocol(comm::spNone);
        fCom->SetTraceStates(comm::TraceSet(comm::tsRxChar));
        fCom->SetUseMainThread(fMainThread);
        fCom->OnAfterReceive = [this](comm::TcmBaseIO*, const std::uint8_t* data, std::uint32_t n) {
            received += n;
            ++deliveries;
            if (echo)
                fCom->SendString(std::string(reinterpret_cast<const char*>(data), n));
        };
        try {
            fCom->SetActive(true);
        } catch (const std::exception&) {
            return false;
        }
        return fCom->Active();
    }
    void Close() override { fCom.reset(); }

private:
    bool fMainThread;
    unsigned fPortNo;
    std::unique_ptr<comm::TcmComm> fCom;
};

// Qt's serial port, read on the GUI thread from readyRead.
class QtPort : public Receiver {
public:
    std::string Name() const override { return "QSerialPort"; }
    bool OnGuiThread() const override { return true; }
    bool Open(const std::string& slavePath) override
    {
        fPort = std::make_unique<QSerialPort>(QString::fromStdString(slavePath));
        if (!fPort->open(QIODevice::ReadWrite))
            return false;
        QObject::connect(fPort.get(), &QSerialPort::readyRead, fPort.get(), [this] {
            const QByteArray data = fPort->readAll();
            received += static_cast<std::uint64_t>(data.size());
            ++deliveries;
            if (echo) {
                fPort->write(data);
                fPort->flush();
            }
        });
        return true;
    }
    void Close() override { fPort.reset(); }

private:
    std::unique_ptr<QSerialPort> fPort;
};

// Asio's serial_port, read by async_read_some on its own io_context thread.
class AsioPort : public Receiver {
public:
    std::string Name() const override { return "asio::serial_port"; }
    bool OnGuiThread() const override { return false; }
    bool Open(const std::string& slavePath) override
    {
        asio::error_code ec;
        fPort.open(slavePath, ec);
        if (ec)
            return false;
        Arm();
        fThread = std::thread([this] { fIo.run(); });
        return true;
    }
    void Close() override
    {
        fIo.stop();
        fThread.join();
        asio::error_code ec;
        fPort.close(ec);
    }

private:
    void Arm()
    {
        fPort.async_read_some(asio::buffer(fBuf), [this](const asio::error_code& ec, std::size_t n) {
            if (ec)
                return;
            received += n;
            ++deliveries;
            if (echo) {
                asio::error_code wec;
                asio::write(fPort, asio::buffer(fBuf, n), wec);
            }
            Arm();
        });
    }

    asio::io_context fIo;
    asio::serial_port fPort{fIo};
    char fBuf[8192];
    std::thread fThread;
};

} // namespace

std::unique_ptr<Receiver> MakePlainLoop() { return std::make_unique<PlainLoop>(); }
std::unique_ptr<Receiver> MakeComponent(bool useMainThread, unsigned portNo)
{
    return std::make_unique<Component>(useMainThread, portNo);
}
std::unique_ptr<Receiver> MakeQSerialPort() { return std::make_unique<QtPort>(); }
std::unique_ptr<Receiver> MakeAsio() { return std::make_unique<AsioPort>(); }

} // namespace bench
