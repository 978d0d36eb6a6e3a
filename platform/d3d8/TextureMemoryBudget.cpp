#include "platform/d3d8/TextureMemoryBudget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#include "platform/win32/PlatformSettings.h"

uint64_t TextureMemoryBudget::ConfiguredLimit() {
    long megabytes = PlatformGetSettings().textureMemoryMb;
    if (megabytes >= 0) return static_cast<uint64_t>(megabytes) << 20;
    long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    uint64_t physical = pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize)
                                                  : uint64_t{1} << 30;
    uint64_t limit = physical / 2;
    rlimit space{};
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY)
        limit = std::min<uint64_t>(limit, static_cast<uint64_t>(space.rlim_cur) / 4 * 3);
    return limit;
}
