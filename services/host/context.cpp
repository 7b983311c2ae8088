#include "context.h"

#include "taxnumbers.h"
#include "values.h"

#include <QDir>
#include <QStandardPaths>
#include <optional>
#include <stdexcept>

namespace {

std::optional<WorkingContext>& current()
{
    static std::optional<WorkingContext> context;
    return context;
}

QString ensureFolder(const QString& path)
{
    if (!QDir().mkpath(path))
        throw std::runtime_error(QStringLiteral("Não foi possível criar a pasta %1").arg(path).toStdString());
    return QDir::cleanPath(path) + u'/';
}

} // namespace

// Keys are stored the way the look-ups compare them: branches widened to 4,
// module codes and mask kinds in upper case.
void setWorkingContext(const WorkingContext& context)
{
    WorkingContext normalised = context;
    normalised.dataProcFilial.clear();
    for (auto it = context.dataProcFilial.cbegin(); it != context.dataProcFilial.cend(); ++it)
        normalised.dataProcFilial.insert(Ajusta(it.key(), 4), it.value());
    normalised.modulosFilialFixa.clear();
    for (const QString& module : context.modulosFilialFixa)
        normalised.modulosFilialFixa.insert(module.trimmed().toUpper());
    normalised.mascaras.clear();
    for (auto it = context.mascaras.cbegin(); it != context.mascaras.cend(); ++it)
        normalised.mascaras.insert(it.key().trimmed().toUpper(), it.value());
    current() = normalised;
}

void clearWorkingContext()
{
    current().reset();
}

bool hasWorkingContext()
{
    return current().has_value();
}

const WorkingContext& workingContext()
{
    if (!current())
        throw std::logic_error("Contexto de trabalho ainda não definido (nenhum log-in).");
    return *current();
}

QString EmprProc()
{
    return workingContext().empresa;
}

QString FiliProc()
{
    return workingContext().filial;
}

QString NomeFiliProc()
{
    return workingContext().nomeFilial;
}

QString Operador()
{
    return workingContext().operador;
}

QDate DataProc(const QString& branch)
{
    const WorkingContext& context = workingContext();
    return context.dataProcFilial.value(Ajusta(branch, 4), context.dataLogin);
}

bool ModuFili(const QString& module)
{
    return workingContext().modulosFilialFixa.contains(module.trimmed().toUpper());
}

QString WebURL()
{
    return workingContext().webUrl;
}

int WebPort()
{
    return workingContext().webPort;
}

bool CanEditRelPadr()
{
    return workingContext().podeEditarRelPadr;
}

QString ConfigUsrDir()
{
    QString base = workingContext().configDir;
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/config");
    return ensureFolder(base);
}

QString ConfigOperDir()
{
    const QString operador = Operador().trimmed();
    if (operador.isEmpty() || operador == u"." || operador == u".." || operador.contains(u'/')
        || operador.contains(u'\\'))
        throw std::invalid_argument(
            QStringLiteral("Código de operador impróprio para nome de pasta: '%1'").arg(operador).toStdString());
    return ensureFolder(ConfigUsrDir() + operador);
}

QString DBPict(const QString& kind)
{
    const QString key = kind.trimmed().toUpper();
    const WorkingContext& context = workingContext();
    const auto found = context.mascaras.constFind(key);
    if (found != context.mascaras.constEnd())
        return *found;
    if (key == PictProduto)
        return QString();   // product codes show as they are stored
    throw std::invalid_argument(QStringLiteral("DBPict: tipo de código desconhecido '%1'").arg(kind).toStdString());
}

int DBPictObj(const QString& kind)
{
    const QString pattern = DBPict(kind).section(u';', 0, 0);
    int levels = 0;
    bool inGroup = false;
    for (const QChar c : pattern) {
        const bool placeholder = isMaskPlaceholder(c);
        if (placeholder && !inGroup)
            ++levels;
        inGroup = placeholder;
    }
    return qMax(levels, 1);
}
