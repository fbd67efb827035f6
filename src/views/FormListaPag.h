#pragma once
// The page list: the file names of every page down the left edge of the
// screen. Choosing a line shows that page in the main window behind the
// list, which stays open until a double click (or Enter) closes it.
#include "shell/VentanaHerramienta.h"

#include <cstdint>

class Comandos;
class QListWidget;

class FormListaPag : public VentanaHerramienta {
    Q_OBJECT
public:
    explicit FormListaPag(Comandos &comandos);

    int IndiceLista = 0; // the current page - 1
    QListWidget *Lista = nullptr;

    // Fills the list and selects IndiceLista, which shows that page.
    void Cargar();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void showEvent(QShowEvent *evento) override;

private:
    void Lista_Click(int fila);

    Comandos &comandos_;
};
