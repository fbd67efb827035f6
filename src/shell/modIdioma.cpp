#include "shell/modIdioma.h"

#include "shell/textos/Textos.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <algorithm>
#include <memory>
#include <optional>

namespace modIdioma {

QString Idioma = QStringLiteral("esp");

namespace {

using textos::TextoNumerado;

std::span<const TextoNumerado> Tabla(const QString &codigo)
{
    // Exact, case-sensitive comparison: "ING" is not English.
    if (codigo == u"esp") return textos::TextosEsp();
    if (codigo == u"ing") return textos::TextosIng();
    if (codigo == u"por") return textos::TextosPor();
    if (codigo == u"lat") return textos::TextosLat();
    if (codigo == u"dan") return textos::TextosDan();
    if (codigo == u"dut") return textos::TextosDut();
    if (codigo == u"deu") return textos::TextosDeu();
    return {};
}

} // namespace

const QStringList &CodigosIdioma()
{
    static const QStringList codigos = {"esp", "ing", "por", "lat", "dan", "dut", "deu"};
    return codigos;
}

QString TextoIdioma(const QString &codigo, int numero)
{
    const auto tabla = Tabla(codigo);
    const auto it = std::lower_bound(tabla.begin(), tabla.end(), numero,
        [](const TextoNumerado &t, int n) { return t.numero < n; });
    if (it == tabla.end() || it->numero != numero)
        return {};
    return QString::fromUtf8(it->texto.data(), static_cast<qsizetype>(it->texto.size()));
}

QString TextoIdioma(int numero)
{
    return TextoIdioma(Idioma, numero);
}

QList<int> NumerosIdioma(const QString &codigo)
{
    QList<int> numeros;
    for (const auto &t : Tabla(codigo))
        numeros.append(t.numero);
    return numeros;
}

QString LocaleQt(const QString &codigo)
{
    static const QHash<QString, QString> locales = {
        {"esp", "es"}, {"ing", "en"}, {"por", "pt_BR"}, {"lat", "lv"},
        {"dan", "da"}, {"dut", "nl"}, {"deu", "de"},
    };
    return locales.value(codigo);
}

void TraducirQt()
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return;
    static QPointer<QTranslator> instalado; // owned by the application
    static std::optional<QString> localeInstalado;
    const QString locale = LocaleQt(Idioma);
    if (localeInstalado == locale)
        return;
    localeInstalado = locale;
    if (instalado) {
        QCoreApplication::removeTranslator(instalado);
        instalado->deleteLater();
        instalado = nullptr;
    }
    auto traductor = std::make_unique<QTranslator>();
    if (locale.isEmpty()
        || !traductor->load(QStringLiteral("qtbase_") + locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(traductor.get());
    traductor->setParent(app);
    instalado = traductor.release();
}

} // namespace modIdioma
