// Root passes file modes by two capabilities (CAP_DAC_OVERRIDE and
// CAP_DAC_READ_SEARCH); while an object of this class lives, the calling
// thread runs without them and meets the modes as any other user does. This
// works for the real root and for root in a user namespace alike, where no
// other user id exists to switch to.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class WithoutFileOverride {
public:
    WithoutFileOverride() {
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutFileOverride() {
        if (dropped_)
            syscall(SYS_capset, &header_, saved_);
    }
    WithoutFileOverride(const WithoutFileOverride &) = delete;
    WithoutFileOverride &operator=(const WithoutFileOverride &) = delete;
    bool dropped() const { return dropped_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};
