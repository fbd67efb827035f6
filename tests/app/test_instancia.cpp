// The single-instance lock: one holder at a time, no file left after it
// lets go, and a lock left by a process that died does not stop a start;
// later starts hand their document to the viewer holding it.
#include "viewer/InstanciaUnica.h"

#include "app/PruebaForm1.h"

#include <QLocalSocket>
#include <QProcess>

#include <algorithm>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QStringList Cerrojos()
{
    return QDir(modGeneral::CarpetaTemporal()).entryList({"*.lock*"}, QDir::Files | QDir::Hidden);
}

// A comic of one page marked `marca` in `t`.
QString Comic(const QTemporaryDir &t, int marca = 1, const QString &nombre = "c.cbz")
{
    const QString comic = t.filePath(nombre);
    EXPECT_TRUE(prueba::EscribirZip(comic, {{"01.jpg", prueba::PaginaMarcada(marca)}}));
    return comic;
}

} // namespace

TEST(InstanciaUnica, OneAtATimeAndNothingLeftBehind)
{
    const QString carpeta = QStringLiteral("/programa/uno");
    {
        InstanciaUnica primera(carpeta);
        ASSERT_TRUE(primera.EsLaPrimera());
        ASSERT_EQ(Cerrojos().size(), 1);
        InstanciaUnica segunda(carpeta);
        EXPECT_FALSE(segunda.EsLaPrimera());
        EXPECT_TRUE(InstanciaUnica(QStringLiteral("/programa/otro")).EsLaPrimera()); // another folder
        // The orderly exit lets go before the process ends past the destructors.
        primera.Soltar();
        EXPECT_TRUE(Cerrojos().isEmpty());
        EXPECT_TRUE(InstanciaUnica(carpeta).EsLaPrimera());
    }
    EXPECT_TRUE(Cerrojos().isEmpty());
}

TEST(InstanciaUnica, ALockLeftByADeadProcessDoesNotStopTheNextStart)
{
    const QString carpeta = QStringLiteral("/programa/dos");
    QByteArray contenido;
    QString ruta;
    {
        InstanciaUnica viva(carpeta);
        ASSERT_TRUE(viva.EsLaPrimera());
        ruta = modGeneral::CarpetaTemporal() + Cerrojos().value(0);
        contenido = prueba::LeerBytes(ruta);
        viva.Soltar();
    }
    // The same lock as a process that crashed left it: its PID is gone.
    QProcess muerto;
    muerto.start(QStringLiteral("true"), {});
    ASSERT_TRUE(muerto.waitForStarted());
    const qint64 pid = muerto.processId();
    ASSERT_TRUE(muerto.waitForFinished());
    const qsizetype fin = contenido.indexOf('\n');
    ASSERT_GT(fin, 0);
    prueba::EscribirBytes(ruta, QByteArray::number(pid) + contenido.mid(fin));
    {
        InstanciaUnica nueva(carpeta);
        EXPECT_TRUE(nueva.EsLaPrimera());
    }
    EXPECT_TRUE(Cerrojos().isEmpty());
}

// ---- Hand-over to the running viewer ----------------------------------------

namespace {

// A later start of the real program, in `carpeta`, ending before it returns.
int SegundoArranque(const QStringList &argumentos, const QString &carpeta = {})
{
    QProcess p;
    p.setWorkingDirectory(carpeta.isEmpty() ? QDir::currentPath() : carpeta);
    p.start(QStringLiteral(TAVELO_PROGRAMA), argumentos);
    // The running viewer here is this process: its events go on meanwhile.
    if (!QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 60000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Sends raw bytes to the running viewer's socket and waits for it to hang up.
void Enviar(const QString &direccion, const QByteArray &bytes)
{
    QLocalSocket s;
    s.connectToServer(direccion);
    ASSERT_TRUE(s.waitForConnected(5000));
    s.write(bytes);
    s.flush();
    // The viewer hangs up on every message, taken or not.
    EXPECT_TRUE(QTest::qWaitFor([&s] { return s.state() == QLocalSocket::UnconnectedState; }, 5000));
}

} // namespace

TEST(InstanciaUnica, OnlyAnExistingFileByItsAbsolutePathIsAMessage)
{
    QTemporaryDir t;
    const QString comic = Comic(t, 1, "Un cómic ñ.cbz");
    EXPECT_EQ(RutaEntregada(comic.toUtf8() + '\n'), comic);
    EXPECT_EQ(RutaEntregada(comic.toUtf8()), ""); // no end of line
    EXPECT_EQ(RutaEntregada("Un cómic ñ.cbz\n"), ""); // relative
    EXPECT_EQ(RutaEntregada(t.path().toUtf8() + '\n'), ""); // a folder
    EXPECT_EQ(RutaEntregada(t.filePath("otro.cbz").toUtf8() + '\n'), "");
    EXPECT_EQ(RutaEntregada(comic.toUtf8() + '\n' + comic.toUtf8() + '\n'), "");
    EXPECT_EQ(RutaEntregada(comic.toLatin1() + '\n'), ""); // not UTF-8
    EXPECT_EQ(RutaEntregada(comic.toUtf8() + QByteArray(1, '\0') + "x\n"), "");
    EXPECT_EQ(RutaEntregada("GET / HTTP/1.0\r\n\r\n"), "");
}

class Entrega : public prueba::PruebaForm1 {
protected:
    void SetUp() override
    {
        PruebaForm1::SetUp();
        primera = std::make_unique<InstanciaUnica>(modGeneral::CarpetaPrograma());
        ASSERT_TRUE(primera->EsLaPrimera());
        QObject::connect(primera.get(), &InstanciaUnica::DocumentoRecibido, f.get(), &Form1::AbrirEntregado);
        QObject::connect(primera.get(), &InstanciaUnica::DocumentoRecibido,
                         [this](const QString &r) { recibidas << r; });
    }
    void TearDown() override
    {
        primera.reset();
        PruebaForm1::TearDown();
    }
    bool Recibidas(qsizetype n)
    {
        return QTest::qWaitFor([&] { return recibidas.size() >= n; }, 30000);
    }
    std::unique_ptr<InstanciaUnica> primera;
    QStringList recibidas;
};

TEST_F(Entrega, ASecondStartHandsItsDocumentOverAndOneWithoutChangesNothing)
{
    QTemporaryDir t;
    const QString comic = t.filePath("Año uno, cómic.cbz");
    ASSERT_TRUE(prueba::EscribirZip(comic, {{"01.jpg", prueba::PaginaMarcada(1)},
                                            {"02.jpg", prueba::PaginaMarcada(2)}}));
    ASSERT_FALSE(f->Doc().HayDocumento());

    // Without a document: it ends at once and the viewer is left as it was.
    EXPECT_EQ(SegundoArranque({}), 0);
    // With one named relative to its own working folder, as a file manager
    // may start it: the viewer gets the absolute path and shows it.
    EXPECT_EQ(SegundoArranque({"Año uno, cómic.cbz"}, t.path()), 0);
    ASSERT_TRUE(Recibidas(1));
    EXPECT_EQ(recibidas, QStringList{comic}); // the start without one sent nothing
    EXPECT_EQ(f->Doc().RutaActual, comic);
    EXPECT_EQ(Vista().PaginaActual(), 1);
    EXPECT_EQ(prueba::NumeroDe(Vista().Imagen()), 1);
    // A later start never takes the lock from the running viewer.
    EXPECT_TRUE(primera->EsLaPrimera());
}

TEST_F(Entrega, WhatIsNotAPathIsIgnored)
{
    QTemporaryDir t;
    const QString comic = Comic(t, 3);
    Enviar(primera->Direccion(), QByteArray(InstanciaUnica::MaximoMensaje + 10, 'a'));
    Enviar(primera->Direccion(), comic.toUtf8() + '\n');
    ASSERT_TRUE(Recibidas(1));
    EXPECT_EQ(recibidas, QStringList{comic});
    EXPECT_EQ(prueba::NumeroDe(Vista().Imagen()), 3);
}

TEST(InstanciaUnica, ASocketLeftByACrashIsCleanedUp)
{
    const QString carpeta = QStringLiteral("/programa/tres");
    const QString direccion = InstanciaUnica(carpeta).Direccion();
    ASSERT_FALSE(QFileInfo::exists(direccion)); // an orderly end removes it
    {
        // What a killed viewer leaves: a socket file nobody listens on.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un dir{};
        dir.sun_family = AF_UNIX;
        const QByteArray nativo = QFile::encodeName(direccion);
        ASSERT_LT(size_t(nativo.size()), sizeof dir.sun_path);
        std::memcpy(dir.sun_path, nativo.constData(), size_t(nativo.size()));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&dir), sizeof dir), 0);
        ::close(fd);
    }
    ASSERT_TRUE(QFileInfo::exists(direccion));
    InstanciaUnica nueva(carpeta);
    ASSERT_TRUE(nueva.EsLaPrimera());
    QTemporaryDir t;
    const QString comic = Comic(t);
    QStringList recibidas;
    QObject::connect(&nueva, &InstanciaUnica::DocumentoRecibido, [&](const QString &r) { recibidas << r; });
    Enviar(nueva.Direccion(), comic.toUtf8() + '\n');
    EXPECT_TRUE(QTest::qWaitFor([&] { return !recibidas.isEmpty(); }, 5000));
    EXPECT_EQ(recibidas, QStringList{comic});
}

TEST(InstanciaUnica, SilentConnectionsAreDroppedAndDoNotStopAHandOver)
{
    InstanciaUnica primera(QStringLiteral("/programa/cuatro"));
    ASSERT_TRUE(primera.EsLaPrimera());
    QStringList recibidas;
    QObject::connect(&primera, &InstanciaUnica::DocumentoRecibido, [&](const QString &r) { recibidas << r; });
    // Connections that never finish a line: silent, or a path without its end.
    std::vector<std::unique_ptr<QLocalSocket>> mudas;
    for (int i = 0; i < 6; ++i) {
        mudas.push_back(std::make_unique<QLocalSocket>());
        mudas.back()->connectToServer(primera.Direccion());
        ASSERT_TRUE(mudas.back()->waitForConnected(5000));
        if (i % 2)
            mudas.back()->write("/tmp/a.cbz");
    }
    QTemporaryDir t;
    const QString comic = Comic(t);
    Enviar(primera.Direccion(), comic.toUtf8() + '\n');
    EXPECT_EQ(recibidas, QStringList{comic});
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return std::all_of(mudas.begin(), mudas.end(),
                           [](const auto &s) { return s->state() == QLocalSocket::UnconnectedState; });
    }, InstanciaUnica::EsperaLineaMs + 3000));
}
