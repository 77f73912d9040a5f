#include "controls/sharedresources.h"

namespace tarvo {

SharedResources &sharedResources()
{
    static SharedResources resources;
    return resources;
}

} // namespace tarvo
