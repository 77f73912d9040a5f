#include "platform/interaction.h"

#include <cstdlib>

namespace tarvo {

namespace {
Interaction *g_interaction = nullptr;
}

Interaction &interaction()
{
    if (!g_interaction)
        std::abort(); // a programming error: main() and the test main install one first
    return *g_interaction;
}

bool hasInteraction()
{
    return g_interaction != nullptr;
}

Interaction *setInteraction(Interaction *implementation)
{
    Interaction *previous = g_interaction;
    g_interaction = implementation;
    return previous;
}

} // namespace tarvo
