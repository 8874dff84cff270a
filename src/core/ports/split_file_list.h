// The files the splitting macros left in the temporary folder, removed at shut-down.
#pragma once

namespace qbx {

class SplitFileList {
public:
    virtual ~SplitFileList() = default;
    virtual void deleteTempFiles() = 0;
};

}  // namespace qbx
