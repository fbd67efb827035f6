#pragma once
// Every dialog and modal window opens through the one `Dialogos` object in
// force, so tests can replace it and never block on a dialog.
#include <QString>
#include <memory>

class QDialog;
class QWidget;

namespace modComDlg {

class Dialogos {
public:
    virtual ~Dialogos() = default;
    // Each returns "" (or -1 for the colour) when cancelled.
    virtual QString ElegirCarpeta(QWidget *dueno, const QString &indicacion) = 0;
    virtual QString DialogoAbrir(QWidget *dueno, const QString &carpeta, const QString &titulo,
                                 const QString &filtroQt) = 0;
    // Colour as 0x00BBGGRR (red in the low byte).
    virtual int ElegirColor(QWidget *dueno) = 0;
    virtual QString DialogoGuardar(const QString &filtroQt, const QString &titulo,
                                   const QString &extension) = 0;
    // A line of text typed by the user (a password when `oculto`).
    virtual QString PedirTexto(QWidget *dueno, const QString &indicacion, bool oculto) = 0;
    // Runs a modal window and returns its result code.
    virtual int MostrarModal(QDialog &ventana) = 0;
};

// The Qt dialogs.
std::unique_ptr<Dialogos> DialogosDelSistema();

// Replaces the dialogs in force; returns the previous ones.
std::unique_ptr<Dialogos> EstablecerDialogos(std::unique_ptr<Dialogos> nuevos);
Dialogos &DialogosActuales();

// Turns "desc|pat;pat|desc|pat|" (or the same with NUL separators) into
// Qt's "desc (pat pat);;desc (pat)".
QString FiltroQt(const QString &filtro, QChar separador);

QString ElegirCarpeta(QWidget *dueno, const QString &indicacion);
QString DialogoAbrir(QWidget *dueno, const QString &carpeta, const QString &titulo,
                     const QString &filtro);
int ElegirColor(QWidget *dueno);
// `filtro` separates its parts with NUL characters.
QString DialogoGuardar(const QString &filtro, const QString &titulo);
QString PedirTexto(QWidget *dueno, const QString &indicacion, bool oculto);
int MostrarModal(QDialog &ventana);

// A message box shown through MostrarModal (object name "CajaMensaje"): OK
// only, or a Yes / No question with the question icon. Returns the
// QMessageBox::StandardButton pressed, 0 when it was closed otherwise.
enum class EstiloCaja { Aceptar, PreguntaSiNo };
int CajaMensaje(QWidget *dueno, const QString &texto, const QString &titulo, EstiloCaja estilo);

} // namespace modComDlg
