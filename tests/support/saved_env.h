#pragma once
// An environment variable as it was, put back when the test ends, so that a
// test changing HOME or XDG_* leaves the next test the process's own values.

#include <cstdlib>
#include <optional>
#include <string>

namespace testing_support {

class SavedEnv {
public:
    explicit SavedEnv(const char* name) : fName(name)
    {
        if (const char* value = std::getenv(name))
            fValue = value;
    }
    ~SavedEnv()
    {
        if (fValue)
            setenv(fName, fValue->c_str(), 1);
        else
            unsetenv(fName);
    }
    SavedEnv(const SavedEnv&) = delete;
    SavedEnv& operator=(const SavedEnv&) = delete;

private:
    const char* fName;
    std::optional<std::string> fValue;
};

} // namespace testing_support
