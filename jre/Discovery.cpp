#include "jre/Discovery.h"

#include "launcher/JavaLauncher.h"

bool locateJvm(JavaLauncher&) noexcept
{
    // No runtime source is searched yet, and the dialog that would let the
    // user pick one does not exist yet: that is a dialog not confirmed.
    return false;
}
