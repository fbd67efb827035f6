#pragma once
// The numbering control of one folder of a series: the user marks the issue
// number in one comic's name, and the window lists the comics there, every
// number with the missing ones marked, or only the missing ones; the list
// can go to the desktop's text editor and the clipboard.
#include "shell/VentanaHerramienta.h"

#include <QDate>
#include <QStringList>

#include <array>

class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;

class Documento;

class FormColeccionControl : public VentanaHerramienta {
    Q_OBJECT
public:
    // `documento`: whose folder is listed when `rutaControl` holds no comics.
    FormColeccionControl(QWidget *dueno, const QString &rutaControl, const Documento &documento);

    QString RutaControl; // the folder examined
    QStringList FileList;

    void PrepararElemento(const QString &nombre);
    void ElegirComic();
    void ElegirOpcion(int opcion);
    // False when the selection is no number (nothing changes then).
    bool GenerarLista(int opcion);
    // Writes the list to a text file in the temporary folder, opens it in
    // the desktop's editor and puts it on the clipboard. False when the file
    // could not be written or opened.
    bool EnviarBlocNotas();
    // The text sent, as of `fecha`.
    QString TextoBloc(QDate fecha) const;
    QString ArchivoBloc; // the file last written

    QLineEdit *TBEle = nullptr;
    QToolButton *LBExaminar = nullptr;
    std::array<QToolButton *, 3> ImOpcion{};
    QToolButton *ImBlock = nullptr;
    std::array<QLabel *, 3> Label1{};
    std::array<QLabel *, 2> LBEle{};
    QLabel *LBLista = nullptr;
    QListWidget *Lista = nullptr;
    QLabel *LBAviso = nullptr;

private:
    const Documento &doc_;
    void PonerTextosControl();
    void HabilitarOpciones(bool si);
};
