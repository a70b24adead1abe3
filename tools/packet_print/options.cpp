#include "tools/packet_print/options.h"

#include "tools/common/number_argument.h"

#include <cstdio>
#include <stdexcept>

namespace packet_print {

const char* const kUsage =
    "usage: fluxmira-packet-print [options] PORT\n"
    "Cuts what PORT receives into packets and prints one packet per line.\n"
    "PORT is a port name (COM3) or a device path (/dev/ttyUSB0).\n"
    "  --baud N          line speed (default 9600; 8 data bits, no parity, 1 stop bit)\n"
    "  --begin TEXT      begin marker (default \"$\"); \"\" for none\n"
    "  --end TEXT        end marker (default \"\\r\\n\"); \"\" for none\n"
    "  --lines           CR LF lines without a begin marker (--begin \"\")\n"
    "  --length N        packet length in bytes (with --end: the last N bytes)\n"
    "  --wild C          marker byte that matches any byte\n"
    "  --pause MS        a pause of MS ends a packet; silence is reported\n"
    "  --send TEXT       send TEXT once the port is open (e.g. \"SENS:MEAS:POW?\")\n"
    "  --every MS        send it again every MS\n"
    "  --count N         stop after N packets\n"
    "  --duration MS     stop after MS\n"
    "  --hex             print packets as hex bytes\n"
    "TEXT may hold \\r, \\n, \\t, \\\\, \\0 and \\xHH. Stops on SIGINT or SIGTERM too.\n";

namespace {

[[noreturn]] void Fail(const std::string& why)
{
    throw std::invalid_argument(why);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string Unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            Fail("a lone \\ at the end of " + text);
        switch (text[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
            if (high < 0 || low < 0)
                Fail("\\x wants two hex digits in " + text);
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            Fail(std::string("unknown escape \\") + text[i] + " in " + text);
        }
    }
    return out;
}

std::string Escape(const std::string& bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
            if (b >= 0x20 && b < 0x7F) {
                out += c;
            } else {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", b);
                out += hex;
            }
        }
    }
    return out;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    for (const char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(c));
        if (!out.empty())
            out += ' ';
        out += hex;
    }
    return out;
}

Options ParseOptions(const std::vector<std::string>& args)
{
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                Fail(a + " needs a value");
            return args[++i];
        };
        if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a == "--baud") {
            o.baudRate = tools_common::NumberArgument<std::uint32_t>(value(), "baud rate");
        } else if (a == "--begin") {
            o.begin = Unescape(value());
        } else if (a == "--end") {
            o.end = Unescape(value());
        } else if (a == "--lines") {
            o.begin.clear();
            o.end = "\r\n";
        } else if (a == "--length") {
            o.length = tools_common::NumberArgument<std::int32_t>(value(), "length");
        } else if (a == "--wild") {
            const std::string wild = Unescape(value());
            if (wild.size() != 1 || wild[0] == '\0')
                Fail("--wild wants one byte other than \\0");
            o.wildChar = static_cast<std::uint8_t>(wild[0]);
        } else if (a == "--pause") {
            o.pauseMs = tools_common::NumberArgument<std::int32_t>(value(), "pause");
        } else if (a == "--send") {
            o.send = Unescape(value());
        } else if (a == "--every") {
            o.everyMs = tools_common::NumberArgument<std::uint32_t>(value(), "interval");
        } else if (a == "--count") {
            o.count = tools_common::NumberArgument<std::uint32_t>(value(), "count");
        } else if (a == "--duration") {
            o.durationMs = tools_common::NumberArgument<std::uint32_t>(value(), "duration");
        } else if (a == "--hex") {
            o.hex = true;
        } else if (!a.empty() && a[0] == '-') {
            Fail("unknown option " + a);
        } else if (o.port.empty()) {
            o.port = a;
        } else {
            Fail("more than one port: " + a);
        }
    }
    if (o.port.empty() && !o.help)
        Fail("no port given");
    if (o.begin.empty() && o.end.empty() && o.length <= 0 && o.pauseMs <= 0)
        Fail("a packet needs a begin or end marker, a length or a pause");
    if (o.everyMs > 0 && o.send.empty())
        Fail("--every needs --send");
    return o;
}

} // namespace packet_print
