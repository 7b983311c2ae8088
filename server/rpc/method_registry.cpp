#include "method_registry.h"

#include <QStringList>
#include <algorithm>
#include <stdexcept>

void MethodRegistry::add(MethodSpec spec)
{
    if (find(spec.module, spec.name))
        throw std::logic_error(QStringLiteral("method %1.%2 registered twice")
                                   .arg(spec.module, spec.name).toStdString());
    if (!spec.function)
        throw std::logic_error(QStringLiteral("method %1.%2 has no function")
                                   .arg(spec.module, spec.name).toStdString());
    m_methods.append(std::move(spec));
}

const MethodSpec* MethodRegistry::find(const QString& module, const QString& name) const
{
    for (const MethodSpec& spec : m_methods) {
        if (spec.module == module && spec.name.compare(name, Qt::CaseInsensitive) == 0)
            return &spec;
    }
    return nullptr;
}

bool MethodRegistry::hasModule(const QString& module) const
{
    return std::any_of(m_methods.cbegin(), m_methods.cend(),
                       [&](const MethodSpec& spec) { return spec.module == module; });
}

QStringList MethodRegistry::modules() const
{
    QStringList names;
    for (const MethodSpec& spec : m_methods) {
        if (!names.contains(spec.module))
            names.append(spec.module);
    }
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
