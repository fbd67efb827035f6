#pragma once
// The list of bookmarks: choosing one closes the list and reports its index.
#include "shell/VentanaHerramienta.h"
#include "documento/ArchivoMarcadores.h"

class QListWidget;

class FormMarcadores : public VentanaHerramienta {
    Q_OBJECT
public:
    FormMarcadores(QWidget *dueno, const QList<RegistroMarcador> &marcadores);

    QListWidget *Lista = nullptr;
    int Elegido = -1; // 0-based position of the chosen bookmark (record Elegido + 1)

    // The text an item shows: the name, or the whole path of a picture folder.
    static QString TextoDe(const QString &ruta);

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void showEvent(QShowEvent *evento) override;

private:
    void Elegir();
};
