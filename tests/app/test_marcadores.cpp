// Bookmarks: the file, adding and removing, the list window, and their life
// across starts.
#include "PruebaForm1.h"
#include "documento/ArchivoMarcadores.h"
#include "views/FormMarcadores.h"
#include "viewer/Teclas.h"

#include <QListWidget>
#include <QToolButton>

namespace {

QByteArray Pagina()
{
    return prueba::PaginaDeColor(Qt::gray, {200, 300});
}

// Over a program folder of its own, with two comics of eight pages.
class Marcadores : public prueba::PruebaForm1 {
protected:
    void SetUp() override
    {
        for (const char *n : {"a.cbz", "b.cbz"})
            ASSERT_TRUE(
                prueba::EscribirZip(tmp.filePath(n), prueba::PaginasNumeradas(8, [](int) { return Pagina(); })));
        PruebaForm1::SetUp();
    }
    // A new start of the viewer, as after an exit.
    void Arrancar()
    {
        f.reset();
        f = std::make_unique<Form1>();
        f->resize(800, 600);
        modIdioma::Idioma = "ing";
    }
    QByteArray Archivo() const { return prueba::LeerBytes(casa.filePath("tavelo.tvl")); }
    EstadoVista &V() const { return Vista(); }
    void Tecla(int tecla, int mayusculas = 0) { f->Form_KeyUp(tecla, mayusculas), V(); }
    QString A() const { return tmp.filePath("a.cbz"); }
    QString B() const { return tmp.filePath("b.cbz"); }

    prueba::CasaPropia casa;
};

} // namespace

TEST_F(Marcadores, AddTwiceKeepsOneRecordAndTheResumeRecord)
{
    f->Doc().Marcadores[0] = {A(), "2"};
    AbrirListado(A());
    V().IrAPagina(3);
    Tecla('M');
    EXPECT_EQ(V().UltimoMensaje(), "Bookmark: page 3");
    V().IrAPagina(5);
    Tecla('M');
    ASSERT_EQ(f->Doc().Marcadores.size(), 2);
    EXPECT_EQ(f->Doc().Marcadores[1].Marcador, "5");
    EXPECT_EQ(f->Doc().Marcadores[0].Ruta, A()); // the resume record stays
    EXPECT_FALSE(f->LBMarcador->isHidden());
    EXPECT_EQ(f->LBMarcador->property("Tag").toString(), "5");
    // The left button goes to it; the right button removes it.
    V().IrAPagina(1);
    prueba::Raton(f->LBMarcador, QEvent::MouseButtonRelease, {2, 2});
    EXPECT_EQ(V().PaginaActual(), 5);
    prueba::Raton(f->LBMarcador, QEvent::MouseButtonRelease, {2, 2}, Qt::RightButton);
    EXPECT_EQ(V().UltimoMensaje(), "Bookmark removed");
    EXPECT_TRUE(f->LBMarcador->isHidden());
    EXPECT_EQ(f->Doc().Marcadores[1].Marcador, "");
}

TEST_F(Marcadores, ARemovedBookmarkListsUntilTheNextStart)
{
    AbrirListado(A());
    Tecla('M');
    AbrirListado(B());
    V().IrAPagina(4);
    Tecla('M');
    Tecla('M', teclas::ShiftMask);
    {
        FormMarcadores lista(f.get(), f->Doc().Marcadores);
        EXPECT_EQ(lista.Lista->count(), 2); // the removed one still lists
    }
    AbrirListado(A()); // writes the file
    EXPECT_EQ(Archivo(), "\"" + A().toUtf8() + "\",\"1\"\r\n");
    // Reading it at the next start shows the label for a's bookmark.
    Arrancar();
    EXPECT_EQ(f->Doc().Marcadores.size(), 2);
    AbrirListado(A());
    EXPECT_FALSE(f->LBMarcador->isHidden());
    EXPECT_EQ(f->LBMarcador->property("Tag").toString(), "1");
}

TEST_F(Marcadores, FilesReadAtStartDropVanishedPathsAndKeepCaseTwins)
{
    const QString carpeta = tmp.filePath("pics/");
    prueba::EscribirBytes(carpeta + "x.jpg", Pagina());
    QDir().mkpath(tmp.filePath("vacia"));
    QFile::copy(A(), tmp.filePath("A.CBZ")); // a twin differing only in case
    const QByteArray a = A().toUtf8();
    QByteArray mayus = a;
    mayus.replace("a.cbz", "A.CBZ");
    prueba::EscribirBytes(casa.filePath("tavelo.tvl"),
                          "\"" + a + "\",\"6\"\r\n\"/gone/x.cbz\",\"2\"\r\n\"" + carpeta.toUtf8() + "\",\"1\"\r\n\""
                              + tmp.filePath("vacia/").toUtf8() + "\",\"1\"\r\n\"" + mayus + "\",\"2\"\r\n");
    Arrancar();
    ASSERT_EQ(f->Doc().Marcadores.size(), 4); // a, pics/, A.CBZ; the gone file and the empty folder dropped
    EXPECT_EQ(f->Doc().Marcadores[2].Ruta, carpeta);
    FormMarcadores lista(f.get(), f->Doc().Marcadores);
    EXPECT_EQ(lista.Lista->item(1)->text(), carpeta); // a picture folder lists as its path
    EXPECT_EQ(lista.Lista->item(0)->text(), "a.cbz");
    AbrirListado(A());
    EXPECT_EQ(f->LBMarcador->property("Tag").toString(), "6"); // the first one wins
}

TEST_F(Marcadores, TheListOpensTheChosenBookmarkAndARemovedOneAtPage1)
{
    AbrirListado(A());
    V().IrAPagina(6);
    Tecla('M');
    AbrirListado(B());
    auto &d = DialogosDePrueba::Actuales();
    d.respuestasModal = {QDialog::Accepted};
    d.llamadas.clear();
    Tecla('L');
    EXPECT_EQ(d.llamadas, QStringList{"MostrarModal:FormMarcadores"});
    EXPECT_EQ(f->Doc().RutaActual, A());
    EXPECT_EQ(V().PaginaActual(), 6);
    Tecla('M', teclas::ShiftMask);
    AbrirListado(B());
    d.respuestasModal = {QDialog::Accepted};
    Tecla('L');
    EXPECT_EQ(f->Doc().RutaActual, A());
    EXPECT_EQ(V().PaginaActual(), 1);
    // Closed without a choice: nothing opens.
    AbrirListado(B());
    d.respuestasModal = {QDialog::Rejected};
    Tecla('L');
    EXPECT_EQ(f->Doc().RutaActual, B());
}

TEST_F(Marcadores, AnUnwritableProgramFolderLosesNothingInMemory)
{
    AbrirListado(A());
    Tecla('M');
    AbrirListado(B());
    const QByteArray antes = Archivo();
    // A folder nobody can write to, not even root.
    qputenv("TAVELO_HOME", "/proc/self");
    V().IrAPagina(3);
    Tecla('M');
    AbrirListado(A()); // the write fails silently
    qputenv("TAVELO_HOME", QFile::encodeName(casa.casa.path()));
    ASSERT_EQ(f->Doc().Marcadores.size(), 3);
    EXPECT_EQ(f->Doc().Marcadores[2].Marcador, "3");
    EXPECT_EQ(Archivo(), antes);
    f->Doc().GuardarMarcadores(); // writable again: everything is there
    EXPECT_EQ(marcadores::Leer(Archivo()).size(), 2);
}
