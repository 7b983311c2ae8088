#include "method_registry.h"

#include <QStringList>
#include <algorithm>
#include <stdexcept>

void MethodRegistry::add(MethodSpec spec)
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
