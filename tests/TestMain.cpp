#include "Constructores.h"
#include "DialogosDePrueba.h"
#include "EscritorioDePrueba.h"
#include "archive/Nombres.h"

#include <QDir>
#include <QFileInfo>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Each test starts with no mouse button held. A test may end with one down
// (QTest's double click leaves it so), and a window closed on a press waits
// for that press's release.
class SinBotones : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override
    {
        QTestPrivate::qtestMouseButtons = Qt::NoButton;
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            return;
        QWidget ventana;
        ventana.resize(10, 10);
        ventana.show();
        if (QTest::qWaitForWindowExposed(&ventana))
            QTest::mouseRelease(ventana.windowHandle(), Qt::LeftButton);
    }
};

} // namespace

QString prueba::CarpetaFixtures()
{
    const QString carpeta = QStringLiteral(TAVELO_FIXTURES "/archives");
    return QFileInfo(carpeta).isDir() ? QDir(carpeta).canonicalPath() : QString();
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A private program folder and temporary folder for the whole run.
    QTemporaryDir raiz;
    if (!raiz.isValid())
        return 2;
    if (qEnvironmentVariableIsEmpty("TAVELO_HOME"))
        qputenv("TAVELO_HOME", QFile::encodeName(raiz.filePath("home")));
    qputenv("TMPDIR", QFile::encodeName(raiz.filePath("tmp")));
    QDir().mkpath(raiz.filePath("tmp"));

    QApplication app(argc, argv);
    archivo::AsegurarLocaleUtf8();
    modComDlg::EstablecerDialogos(std::make_unique<DialogosDePrueba>());
    modPropiedades::EstablecerEscritorio(std::make_unique<EscritorioDePrueba>());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new SinBotones);
    return RUN_ALL_TESTS();
}
