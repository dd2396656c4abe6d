#include "platform/system/openfilelimit.h"

#include <sys/resource.h>

namespace kavrin {

namespace {
constexpr rlim_t kEnough = 65536;
}

long allowManyOpenFiles() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
    rlim_t wanted = kEnough;
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted) wanted = limit.rlim_max;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted) return long(limit.rlim_cur);
    const rlim_t before = limit.rlim_cur;
    limit.rlim_cur = wanted;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return long(before);
    return long(wanted);
}

}  // namespace kavrin
