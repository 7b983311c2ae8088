#include "protocol_doc.h"

#include "method_registry.h"

#include <QStringList>
#include <stdexcept>

namespace {

QString kindName(ArgKind kind)
{
    switch (kind) {
    case ArgKind::Text: return QStringLiteral("text");
    case ArgKind::Boolean: return QStringLiteral("boolean");
    case ArgKind::Integer: return QStringLiteral("integer");
    case ArgKind::Float: return QStringLiteral("number");
    case ArgKind::Date: return QStringLiteral("date");
    case ArgKind::Packet: return QStringLiteral("data packet");
    case ArgKind::ValueArray: return QStringLiteral("value array");
    }
    return {};
}

QString cell(QString text)
{
    return text.replace(QLatin1Char('|'), QLatin1String("\\|")).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString methodSection(const MethodSpec& spec)
{
    QStringList names;
    for (const ArgSpec& arg : spec.args)
        names.append(arg.byReference ? QStringLiteral("var ") + arg.name : arg.name);
    QString text = QStringLiteral("#### `%1(%2)`\n\n").arg(spec.name, names.join(QLatin1String(", ")));
    if (!spec.doc.isEmpty())
        text += spec.doc + QStringLiteral("\n\n");
    if (!spec.args.isEmpty()) {
        text += QStringLiteral("| # | Argument | Kind | Null allowed | By reference | Meaning |\n"
                               "|---|---|---|---|---|---|\n");
        for (qsizetype i = 0; i < spec.args.size(); ++i) {
            const ArgSpec& arg = spec.args.at(i);
            text += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |\n")
                        .arg(i + 1)
                        .arg(arg.name, kindName(arg.kind),
                             arg.nullable ? QStringLiteral("yes") : QStringLiteral("no"),
                             arg.byReference ? QStringLiteral("yes") : QStringLiteral("no"),
                             cell(arg.doc));
        }
        text += QLatin1Char('\n');
    }
    text += QStringLiteral("Result: %1\n\n").arg(spec.resultDoc.isEmpty() ? QStringLiteral("-") : spec.resultDoc);
    if (!spec.needsSession)
        text += QStringLiteral("Needs no session.\n\n");
    return text;
}

} // namespace

QString methodReference(const MethodRegistry& registry)
{
    QString text;
    for (const QString& module : registry.modules()) {
        text += QStringLiteral("### %1\n\n").arg(module);
        for (const MethodSpec* spec : registry.methods(module))
            text += methodSection(*spec);
    }
    return text;
}

QString withMethodReference(const QString& document, const QString& reference)
{
    const qsizetype begin = document.indexOf(ProtocolDocBeginMarker);
    const qsizetype end = document.indexOf(ProtocolDocEndMarker);
    if (begin < 0 || end < begin)
        throw std::runtime_error("the document lacks the generated method reference markers");
    const qsizetype contentStart = begin + ProtocolDocBeginMarker.size();
    return document.left(contentStart) + QStringLiteral("\n\n") + reference + document.mid(end);
}
