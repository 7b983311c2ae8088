#include "method_registry.h"

#include <QStringList>
#include <algorithm>
#include <stdexcept>

namespace {

QString label(const MethodSpec& spec)
{
    return spec.module + QLatin1Char('.') + spec.name;
}

// Why the declaration differs from the catalogue's; empty when it does not.
QString catalogueMismatch(const MethodSpec& spec)
{
    const Rpc::MethodInfo* method = Rpc::findMethod(spec.module, spec.name);
    if (!method)
        return QStringLiteral("is not in the method catalogue");
    if (qsizetype(method->args.size()) != spec.args.size())
        return QStringLiteral("declares %1 arguments; the catalogue has %2").arg(spec.args.size()).arg(method->args.size());
    for (qsizetype i = 0; i < spec.args.size(); ++i) {
        const Rpc::Arg declared{spec.args.at(i).kind, spec.args.at(i).byReference};
        if (!(declared == method->args[std::size_t(i)]))
            return QStringLiteral("argument %1 (%2) differs from the catalogue in kind or by-reference mark")
                .arg(i + 1).arg(spec.args.at(i).name);
    }
    return {};
}

} // namespace

void MethodRegistry::add(MethodSpec spec)
{
    const QString mismatch = catalogueMismatch(spec);
    if (!mismatch.isEmpty())
        throw std::logic_error((QStringLiteral("method ") + label(spec) + QLatin1Char(' ') + mismatch).toStdString());
    insert(std::move(spec));
}

void MethodRegistry::addOutsideCatalogue(MethodSpec spec)
{
    if (Rpc::findMethod(spec.module, spec.name))
        throw std::logic_error(QStringLiteral("method %1 is in the catalogue; register it with add").arg(label(spec)).toStdString());
    insert(std::move(spec));
}

QStringList MethodRegistry::missingFromCatalogue() const
{
    QStringList missing;
    for (const Rpc::MethodInfo& method : Rpc::catalogue()) {
        const MethodSpec* spec = find(method.serverName(), method.methodName());
        if (!spec || spec->name != method.methodName())
            missing.append(method.label());
    }
    return missing;
}

void MethodRegistry::requireWholeCatalogue() const
{
    const QStringList missing = missingFromCatalogue();
    if (!missing.isEmpty())
        throw std::logic_error(("methods of the catalogue not registered: " + missing.join(QStringLiteral(", "))).toStdString());
}

void MethodRegistry::insert(MethodSpec spec)
{
    if (find(spec.module, spec.name))
        throw std::logic_error(QStringLiteral("method %1.%2 registered twice")
                                   .arg(spec.module, spec.name).toStdString());
    if (spec.rawFunction && !spec.function) {
        spec.function = [raw = spec.rawFunction](CallContext& context, QJsonArray& params) {
            return raw(context, params).parsed();
        };
    }
    if (!spec.function)
        throw std::logic_error(QStringLiteral("method %1.%2 has no function")
                                   .arg(spec.module, spec.name).toStdString());
    m_index.insert(key(spec.module, spec.name), m_methods.size());
    m_modules.insert(spec.module);
    m_methods.append(std::move(spec));
}

QString MethodRegistry::key(const QString& module, const QString& name)
{
    return module + QLatin1Char('\n') + name.toCaseFolded();
}

const MethodSpec* MethodRegistry::find(const QString& module, const QString& name) const
{
    const auto found = m_index.constFind(key(module, name));
    return found == m_index.cend() ? nullptr : &m_methods.at(*found);
}

bool MethodRegistry::hasModule(const QString& module) const
{
    return m_modules.contains(module);
}

QStringList MethodRegistry::modules() const
{
    QStringList names(m_modules.cbegin(), m_modules.cend());
    names.sort();
    return names;
}

QList<const MethodSpec*> MethodRegistry::methods(const QString& module) const
{
    QList<const MethodSpec*> found;
    for (const MethodSpec& spec : m_methods) {
        if (spec.module == module)
            found.append(&spec);
    }
    std::sort(found.begin(), found.end(), [](const MethodSpec* a, const MethodSpec* b) {
        return a->name.compare(b->name, Qt::CaseInsensitive) < 0;
    });
    return found;
}
