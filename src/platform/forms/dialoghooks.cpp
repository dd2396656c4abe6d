#include "platform/forms/dialoghooks.h"

namespace kavrin {

DialogHooks& dialogHooks() {
    static DialogHooks hooks;
    return hooks;
}

}  // namespace kavrin
