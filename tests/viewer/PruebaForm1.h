#pragma once
// What the window tests share: a fresh Form1 of 800 x 600 in English over an
// empty document state, dialogs that answer nothing, and generated pages.
#include "DialogosDePrueba.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Form1.h"
#include "views/Navegador.h"

#include <QBuffer>
#include <QDirIterator>
#include <QImage>
#include <gtest/gtest.h>

#include <memory>

namespace prueba {

// A page of one colour; page n gets hue n * 50.
inline QByteArray PaginaDeColor(const QColor &color, QSize tamano, const char *formato = "JPG")
{
    QImage i(tamano, QImage::Format_RGB32);
    i.fill(color);
    QByteArray d;
    QBuffer b(&d);
    b.open(QIODevice::WriteOnly);
    i.save(&b, formato);
    return d;
}

inline QByteArray PaginaNumero(int n, QSize tamano, const char *formato = "JPG")
{
    return PaginaDeColor(QColor::fromHsv((n * 50) % 360, 200, 230), tamano, formato);
}

// Page files left in the temporary folder (folders may stay until exit).
inline QStringList ArchivosTemporales()
{
    QStringList lista;
    QDirIterator it(modGeneral::CarpetaTemporal(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        lista << it.next();
    return lista;
}

class PruebaForm1 : public ::testing::Test {
protected:
    void SetUp() override
    {
        Comandos::FinDelProceso() = [this] { ++salidas; };
        auto &d = DialogosDePrueba::Actuales();
        d.respuestasTexto.clear();
        d.respuestasColor.clear();
        d.respuestasModal.clear();
        d.llamadas.clear();
        f = std::make_unique<Form1>();
        f->resize(800, 600);
        modIdioma::Idioma = "ing";
    }
    void TearDown() override
    {
        f.reset();
    }
    std::unique_ptr<Form1> f;
    int salidas = 0;
};

} // namespace prueba
