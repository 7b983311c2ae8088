#include "busy.h"

#include "host.h"
#include "hostlog.h"

namespace {
int depth = 0;
int unbalancedEnds = 0;
}

void ActiveShowAvi(QWidget* screen, int style)
{
    if (depth == 0)
        host().showBusy(screen, style);
    ++depth;
}

// Error paths may stop the indicator a second time; the extra call is
// ignored (and counted, so tests can see it) instead of going negative.
void DeactiveShowAvi()
{
    if (depth == 0) {
        ++unbalancedEnds;
        qCDebug(lcHost) << "DeactiveShowAvi sem ActiveShowAvi aberto";
        return;
    }
    if (--depth == 0)
        host().hideBusy();
}

int busyDepth()
{
    return depth;
}

int busyUnbalancedEnds()
{
    return unbalancedEnds;
}

void resetBusyState()
{
    depth = 0;
    unbalancedEnds = 0;
}
