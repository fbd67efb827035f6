#pragma once
// A list of names, each led by a three-state read marker, on a dark surface
// with its own scroll bar. It paints only the rows that fit and fills them
// from its arrays as it scrolls, so a list of thousands of comics costs the
// same two widgets as a list of ten.
#include "collection/Listado.h"

#include <QColor>
#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QStringList>

#include <array>
#include <cstdint>

class QScrollBar;

class ucListado : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int ListCount READ getListCount)
    Q_PROPERTY(bool HighLight READ getHighLight WRITE setHighLight)
public:
    explicit ucListado(QWidget *padre = nullptr);
    ~ucListado() override;

    void setBackColor(const QColor &color);
    QColor getBackColor() const;
    // 0 flat, 1 sunken.
    void setAppearance(int valor);
    int getAppearance() const;
    // 0 none, 1 a single line.
    void setBorderStyle(int valor);
    int getBorderStyle() const;
    void setHighLight(bool valor);
    bool getHighLight() const { return highLight_; }
    int getListCount() const { return int(Nombres.size()); }

    // Replaces the whole list; states as numbers or numeric texts. Back to
    // the top, nothing clicked yet.
    void setList(const QStringList &nombres, const QStringList &estados);
    void setList(const QStringList &nombres, const QList<int> &estados);
    // A short text at the right end of each row ("37/120"); empty: none.
    void setProgreso(const QStringList &progreso);
    QString Progreso(int item) const { return Progresos.value(item); }
    // What the comic's ComicInfo.xml says of it, shown after its name; it
    // comes as rows come on screen, so it is given one item at a time.
    void setSerie(int item, const QString &serie);
    QString Serie(int item) const { return Series.value(item); }
    // Leaves only the first row.
    void DescargarObjetos();
    // Moves the list by `delta` items (only while it has a scroll bar).
    void ScrollManual(int delta);

    // The item last clicked, double-clicked or whose marker was clicked, and
    // the state its marker took.
    std::int32_t Indice() const { return indice_; }
    int EstadoIndice() const { return estadoIndice_; }

    // What the rows show, for the window and the tests.
    int Estado(int item) const { return Estados.value(item); }
    int PrimeraFila() const { return primeraFila_; }
    int Filas() const { return int(topes_.size()); }
    int FilaResaltada() const { return resaltada_; }
    // Pixels in the surface's coordinates; empty for a row without an item.
    QRect RectNombre(int fila) const;
    QRect RectMarcador(int fila) const;
    QString TextoFila(int fila) const;
    QString TooltipMarcador(int fila) const;
    listado::Scroll ConfiguracionScroll() const { return scroll_; }

    QFrame *PB = nullptr;        // the surface the rows are painted on
    QScrollBar *VScroll = nullptr;

    static constexpr QColor ColorFondo{0x1d, 0x1d, 0x1d};
    static constexpr QColor ColorTexto{0xa0, 0xa0, 0xa0}; // 6.4 : 1 on the surface

signals:
    void LBClick();
    void LBDblClick();
    void ImageClick();
    // The rows on screen show other items: from PrimeraFila, Filas of them.
    void FilasCambiadas();

protected:
    void resizeEvent(QResizeEvent *evento) override;
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    enum class Parte { Ninguna, Nombre, Marcador };
    struct Sitio {
        int Fila = -1;
        Parte Donde = Parte::Ninguna;
    };

    void CrearFilas();
    void ConfigurarScroll();
    void MostrarDesde(int valor);
    void Resaltar(int fila);
    void QuitarResaltado();
    void ClicMarcador(int fila);
    void Pulsar(const Sitio &s, bool doble);
    bool FilaConItem(int fila) const;
    QString Texto(int item) const;
    Sitio SitioEn(QPoint p) const;
    void Pintar(QPainter &g);
    int AltoTwips() const;
    int AnchoTwips() const;

    QStringList Nombres;
    QList<int> Estados;
    QStringList Progresos;
    QStringList Series;          // empty until the first one comes
    QList<int> topes_;           // twips
    listado::Scroll scroll_;
    int primeraFila_ = 0;
    std::int32_t indice_ = 0;
    int estadoIndice_ = 0;
    int seleccion_ = -1;         // the item whose name was clicked last
    int resaltada_ = -1;
    bool highLight_ = false;
    QColor colorNormal_ = ColorTexto;
    std::array<QPixmap, 3> marcadores_; // drawn once per screen density
    qreal escalaMarcadores_ = 0;
    Sitio pulsado_;
};
