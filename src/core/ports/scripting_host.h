// The scripting subsystem as the shut-down and the macro list see it.
#pragma once

#include <string>

namespace qbx {

class ScriptingHost {
public:
    virtual ~ScriptingHost() = default;
    virtual void stop() = 0;
    // Stored script names, one a line (CR LF), for the macro list.
    virtual std::string scriptNameList() const = 0;
};

}  // namespace qbx
