// Feeds saved inputs to a fuzz target's entry function: every file named on
// the command line, and every file inside each folder named there. A fault
// aborts (or the sanitizers stop it); the inputs that passed are counted.

#include "fuzz_target.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

void fuzzFailure(const char* what)
{
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

namespace {

bool replay(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::fprintf(stderr, "%s\n", qPrintable(path));
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo(arg).isDir()) {
            if (!replay(arg))
                return 1;
            ++inputs;
            continue;
        }
        QDirIterator files(arg, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            if (!replay(files.next()))
                return 1;
            ++inputs;
        }
    }
    std::printf("%d inputs replayed without a fault\n", inputs);
    return inputs > 0 ? 0 : 1;
}
