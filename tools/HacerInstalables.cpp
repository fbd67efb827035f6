// Build-time maker of what the installation carries beside the program:
//   tavelo-instalables textos PLANTILLA SALIDA
//     copies the template, with each line "@N key@" replaced by message N of
//     the catalogue in the seven languages (English untagged), as desktop
//     entry lines or, for an .xml output, as XML elements;
//   tavelo-instalables icono SVG LADO SALIDA.png
//     draws the application icon at LADO pixels.
#include "shell/modIdioma.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr char IdiomaBase[] = "ing";

QString Lineas(const QString &sangria, int numero, const QString &clave, bool xml)
{
    QStringList lineas;
    auto linea = [&](const QString &codigo) {
        const QString texto = modIdioma::TextoIdioma(codigo, int(numero));
        if (texto.isEmpty())
            return;
        const QString locale = codigo == IdiomaBase ? QString() : modIdioma::LocaleQt(codigo);
        if (xml) {
            const QString idioma = locale.isEmpty() ? QString() : QStringLiteral(" xml:lang=\"%1\"").arg(locale);
            lineas << QStringLiteral("%1<%2%3>%4</%2>").arg(sangria, clave, idioma, texto.toHtmlEscaped());
        } else {
            const QString idioma = locale.isEmpty() ? QString() : QStringLiteral("[%1]").arg(locale);
            lineas << sangria + clave + idioma + "=" + texto;
        }
    };
    linea(IdiomaBase);
    for (const QString &codigo : modIdioma::CodigosIdioma())
        if (codigo != IdiomaBase)
            linea(codigo);
    return lineas.join(u'\n');
}

bool Escribir(const QString &salida, const QByteArray &datos)
{
    QSaveFile f(salida);
    return f.open(QIODevice::WriteOnly) && f.write(datos) == datos.size() && f.commit();
}

int Textos(const QString &plantilla, const QString &salida)
{
    QFile f(plantilla);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return 1;
    const bool xml = salida.endsWith(QLatin1String(".xml"));
    static const QRegularExpression marca(QStringLiteral("^(\\s*)@(\\d+) ([A-Za-z]+)@$"));
    QStringList fuera;
    const QStringList lineas = QString::fromUtf8(f.readAll()).split(u'\n');
    for (const QString &l : lineas) {
        const auto m = marca.match(l);
        if (!m.hasMatch()) {
            fuera << l;
            continue;
        }
        const QString hecho = Lineas(m.captured(1), m.captured(2).toInt(), m.captured(3), xml);
        if (hecho.isEmpty()) {
            std::fprintf(stderr, "%s: message %s has no text\n", qPrintable(plantilla), qPrintable(m.captured(2)));
            return 1;
        }
        fuera << hecho;
    }
    return Escribir(salida, fuera.join(u'\n').toUtf8()) ? 0 : 1;
}

int Icono(const QString &svg, int lado, const QString &salida)
{
    QImageReader lector(svg);
    lector.setScaledSize(QSize(lado, lado));
    const QImage imagen = lector.read();
    if (imagen.isNull()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(svg), qPrintable(lector.errorString()));
        return 1;
    }
    QSaveFile f(salida);
    return f.open(QIODevice::WriteOnly) && imagen.save(&f, "PNG") && f.commit() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList a = QGuiApplication::arguments();
    if (a.size() == 4 && a[1] == "textos")
        return Textos(a[2], a[3]);
    if (a.size() == 5 && a[1] == "icono")
        return Icono(a[2], a[3].toInt(), a[4]);
    std::fprintf(stderr, "usage: %s textos TEMPLATE OUTPUT | icono SVG SIZE OUTPUT.png\n", argv[0]);
    return 64;
}
