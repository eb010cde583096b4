#pragma once

// Root writes anywhere whatever the file modes say, and CI runs the tests as
// root. A test of an unwritable file or folder therefore gives up, for as
// long as a FileModesApply lives, the capabilities that let root ignore file
// modes; for anyone else modes apply anyway.

#ifdef _WIN32
// Windows has no file modes to apply, and no root.
class FileModesApply {
public:
    ~FileModesApply() {}
};
#else
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class FileModesApply {
public:
    FileModesApply()
    {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) |
                                  (1u << CAP_FOWNER));
        active_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~FileModesApply()
    {
        if (active_)
            syscall(SYS_capset, &header_, saved_);
    }
    FileModesApply(const FileModesApply&) = delete;
    FileModesApply& operator=(const FileModesApply&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};
#endif
