#pragma once
// The busy indicator. Calls nest: the indicator appears with the first
// ActiveShowAvi and disappears with the matching last DeactiveShowAvi, so a
// server call inside a longer action does not switch it off early.

class QWidget;

// Busy-animation styles of the host: the main screen asks for 6 around
// ordinary server calls, 1 and 0 for other kinds of work.
namespace BusyStyle {
constexpr int Processando = 0;
constexpr int Pesquisando = 1;
constexpr int Aguarde = 6;
}

void ActiveShowAvi(QWidget* screen, int style);
void DeactiveShowAvi();

int busyDepth();              // open ActiveShowAvi calls
int busyUnbalancedEnds();     // DeactiveShowAvi calls with none open (ignored)
void resetBusyState();        // for a fresh start between tests

// Keeps the indicator up for one scope.
class BusyScope {
public:
    explicit BusyScope(QWidget* screen, int style = BusyStyle::Aguarde) { ActiveShowAvi(screen, style); }
    ~BusyScope() { DeactiveShowAvi(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};
