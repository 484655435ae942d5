#pragma once

namespace tallix::platform {

// Major version of the operating system's kernel (the Linux kernel's "6" in "6.1.0-18-amd64"),
// the counterpart of the kernel version Windows reports. 0 when it cannot be determined.
int osMajorVersion();

} // namespace tallix::platform
