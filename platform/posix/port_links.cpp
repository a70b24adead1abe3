#include "platform/posix/port_links.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace platform::posix {
namespace {

fs::path LinkPath(const fs::path& dir, unsigned n) { return dir / ("COM" + std::to_string(n)); }

// "COM<n>" exactly as the directory writes it (no sign, no leading zero).
std::optional<unsigned> CanonicalPortNumber(const std::string& name)
{
    if (name.rfind("COM", 0) != 0 || name.size() < 4 || name.size() > 12 || name[3] == '0')
        return std::nullopt;
    unsigned long n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        n = n * 10 + unsigned(name[i] - '0');
    }
    if (n > 0xFFFFu)
        return std::nullopt;
    return unsigned(n);
}

fs::path AbsoluteTarget(const fs::path& dir, const fs::path& link, std::error_code& ec)
{
    const fs::path target = fs::read_symlink(link, ec);
    if (ec)
        return {};
    return (target.is_absolute() ? target : dir / target).lexically_normal();
}

bool Retarget(const fs::path& dir, unsigned n, const fs::path& target)
{
    const fs::path temp = dir / (".COM" + std::to_string(n) + ".link");
    std::error_code ec;
    fs::remove(temp, ec);
    fs::create_symlink(target, temp, ec);
    if (!ec)
        fs::rename(temp, LinkPath(dir, n), ec);
    return !ec;
}

// Brings the links in step with the hardware. Returns false on the first
// write that fails; what was written so far stays valid.
class PortAssigner {
public:
    explicit PortAssigner(fs::path dir) : fDir(std::move(dir)), fLinks(ReadPortLinks(fDir)) {}

    bool Assign(const SerialHardware& hw)
    {
        if (auto n = LinkAt(hw.DevicePath)) {
            PortLink& link = fLinks[*n];
            if (!link.Stored || link.Stored->Identity == hw.Identity)
                return Claim(*n) && Remember(*n, hw); // adopts a link made by hand
            // Another device now sits at this node: park the link where its own device would be.
            if (!Point(*n, DeviceRoot() / "serial" / "by-id" / link.Stored->Identity))
                return false;
        }
        if (auto n = LinkOf(hw.Identity))
            return Claim(*n) && Point(*n, hw.DevicePath) && Remember(*n, hw);
        return Create(hw);
    }

private:
    std::optional<unsigned> LinkAt(const fs::path& node) const
    {
        for (const auto& [n, link] : fLinks)
            if (link.Target == node.lexically_normal())
                return n;
        return std::nullopt;
    }

    std::optional<unsigned> LinkOf(const std::string& identity) const
    {
        for (const auto& [n, link] : fLinks)
            if (link.Stored && link.Stored->Identity == identity && !fClaimed.count(n))
                return n;
        return std::nullopt;
    }

    // Adapters that share one identity (clones with the same serial string) keep separate numbers.
    bool Claim(unsigned n)
    {
        fClaimed.insert(n);
        return true;
    }

    bool Point(unsigned n, const fs::path& target)
    {
        fLinks[n].Target = target.lexically_normal();
        return Retarget(fDir, n, target);
    }

    // Written only when something changed, so a steady machine writes nothing.
    bool Remember(unsigned n, const SerialHardware& hw)
    {
        const StoredIdentity wanted{hw.Identity, hw.Details};
        auto& stored = fLinks[n].Stored;
        if (stored && stored->Identity == wanted.Identity && stored->Details == wanted.Details)
            return true;
        stored = wanted;
        return WriteIdentityFile(IdentityPath(fDir, n), wanted);
    }

    bool Create(const SerialHardware& hw)
    {
        for (unsigned n = 1; n <= 0xFFFFu; ++n) {
            if (fLinks.count(n))
                continue;
            std::error_code ec;
            fs::create_symlink(hw.DevicePath, LinkPath(fDir, n), ec);
            if (ec == std::errc::file_exists) {
                fLinks[n] = {}; // another process took it meanwhile
                continue;
            }
            if (ec)
                return false;
            fLinks[n] = {hw.DevicePath.lexically_normal(), std::nullopt};
            Claim(n);
            return Remember(n, hw);
        }
        return false;
    }

    fs::path fDir;
    std::map<unsigned, PortLink> fLinks;
    std::set<unsigned> fClaimed;
};

} // namespace

fs::path IdentityPath(const fs::path& dir, unsigned n) { return dir / (".COM" + std::to_string(n) + ".id"); }

std::map<unsigned, PortLink> ReadPortLinks(const fs::path& dir)
{
    std::map<unsigned, PortLink> links;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const auto n = CanonicalPortNumber(it->path().filename().string());
        if (!n)
            continue;
        std::error_code linkEc;
        PortLink link{AbsoluteTarget(dir, it->path(), linkEc), std::nullopt};
        if (!linkEc)
            link.Stored = ReadIdentityFile(IdentityPath(dir, *n));
        links[*n] = std::move(link); // a non-link entry still holds its number
    }
    return links;
}

void AssignPortNames(const fs::path& dir, const std::vector<SerialHardware>& hardware)
{
    if (hardware.empty())
        return;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec)
        return;
    PortAssigner assigner(dir);
    for (const SerialHardware& hw : hardware)
        if (!assigner.Assign(hw))
            return;
}

std::vector<PortRegistryValue> ListPortLinks(const fs::path& dir, const TtyNodeCheck& nodes)
{
    std::vector<PortRegistryValue> values;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code linkEc;
        if (name.empty() || name[0] == '.' || !it->is_symlink(linkEc))
            continue;
        const fs::path target = AbsoluteTarget(dir, it->path(), linkEc);
        if (!linkEc && nodes.IsSerialNode(target))
            values.push_back({target.string(), name});
    }
    std::sort(values.begin(), values.end(),
              [](const PortRegistryValue& a, const PortRegistryValue& b) { return a.Data < b.Data; });
    return values;
}

} // namespace platform::posix
