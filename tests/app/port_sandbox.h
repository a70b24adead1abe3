#pragma once
// A port-name directory of the test's own for the window's port list:
// FLUXMIRA_PORTS points at it while the object lives.

#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace app_test {

class PortSandbox {
public:
    PortSandbox()
    {
        if (const char* old = std::getenv("FLUXMIRA_PORTS"))
            fOld = old;
        setenv("FLUXMIRA_PORTS", (fDir.path() / "ports").c_str(), 1);
    }
    ~PortSandbox()
    {
        if (fOld)
            setenv("FLUXMIRA_PORTS", fOld->c_str(), 1);
        else
            unsetenv("FLUXMIRA_PORTS");
    }
    PortSandbox(const PortSandbox&) = delete;
    PortSandbox& operator=(const PortSandbox&) = delete;

    // A pseudo-terminal registered as COM<number>.
    platform::PseudoTerminal& RegisterPty(unsigned number)
    {
        fPtys.push_back(std::make_unique<platform::PseudoTerminal>());
        platform::RegisterPort(number, fPtys.back()->SlavePath());
        return *fPtys.back();
    }

    // COM<number> naming a serial device that is never opened (one terminal serves them all).
    void RegisterNode(unsigned number)
    {
        if (!fNode)
            fNode = std::make_unique<platform::PseudoTerminal>();
        platform::RegisterPort(number, fNode->SlavePath());
    }

private:
    testing_support::TempDir fDir;
    std::optional<std::string> fOld;
    std::vector<std::unique_ptr<platform::PseudoTerminal>> fPtys;
    std::unique_ptr<platform::PseudoTerminal> fNode;
};

} // namespace app_test
