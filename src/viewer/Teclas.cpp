#include "viewer/Teclas.h"

#include "shell/modIdioma.h"

#include <QKeyEvent>
#include <QKeySequence>

#include <algorithm>
#include <tuple>

namespace teclas {

namespace {

bool EsModificador(int k)
{
    switch (k) {
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_AltGr: case Qt::Key_Meta:
    case Qt::Key_CapsLock: case Qt::Key_NumLock: case Qt::Key_ScrollLock: case Qt::Key_Super_L:
    case Qt::Key_Super_R: case Qt::Key_Hyper_L: case Qt::Key_Hyper_R: case Qt::Key_unknown:
        return true;
    default:
        return false;
    }
}

// Punctuation comes out of Shift on one keyboard and without it on another:
// the character is the key, Shift no part of it.
bool EsSigno(int k)
{
    return k > ' ' && k < 0x7f && !(k >= '0' && k <= '9') && !(k >= 'A' && k <= 'Z');
}

int Mascara(Qt::KeyboardModifiers mods)
{
    int m = 0;
    if (mods.testFlag(Qt::ShiftModifier)) m |= ShiftMask;
    if (mods.testFlag(Qt::ControlModifier)) m |= CtrlMask;
    if (mods.testFlag(Qt::AltModifier)) m |= AltMask;
    return m;
}

Tecla Normalizar(int k, Qt::KeyboardModifiers mods)
{
    if (EsModificador(k) || k == 0)
        return {};
    if (k == Qt::Key_Enter)
        k = Qt::Key_Return;
    Tecla t{k, Mascara(mods)};
    if (k >= Qt::Key_0 && k <= Qt::Key_9 && mods.testFlag(Qt::KeypadModifier))
        t.codigo |= Qt::KeypadModifier; // keypad digits are no command keys
    if (EsSigno(k))
        t.mayusculas &= ~ShiftMask;
    return t;
}

Fila F(int tecla, const char *comando, Regla regla = Regla::Siempre)
{
    return {tecla, regla, QString::fromLatin1(comando), 0};
}

} // namespace

Tecla DeEvento(const QKeyEvent &evento)
{
    int k = evento.key();
    // The digit row is the digit whatever Shift or the layout make of it
    // (Shift+9 and Shift+0 are commands; French digits need Shift).
    const quint32 nativa = evento.nativeVirtualKey();
    const quint32 fisica = evento.nativeScanCode();
    if (!evento.modifiers().testFlag(Qt::KeypadModifier)) {
#ifdef Q_OS_WIN
        Q_UNUSED(fisica);
        if (nativa >= '0' && nativa <= '9')
            k = int(nativa);
#else
        Q_UNUSED(nativa);
        if (fisica >= 10 && fisica <= 19) // X11/evdev key codes of the digit row 1..9, 0
            k = fisica == 19 ? Qt::Key_0 : int(Qt::Key_1 + (fisica - 10));
#endif
    }
    return Normalizar(k, evento.modifiers());
}

Tecla Normalizada(int codigo, int mayusculas)
{
    Qt::KeyboardModifiers mods = Qt::KeyboardModifiers::fromInt(codigo & int(Qt::KeypadModifier));
    if (mayusculas & ShiftMask) mods |= Qt::ShiftModifier;
    if (mayusculas & CtrlMask) mods |= Qt::ControlModifier;
    if (mayusculas & AltMask) mods |= Qt::AltModifier;
    return Normalizar(codigo & ~int(Qt::KeypadModifier), mods);
}

bool Acepta(const Fila &fila, const Tecla &tecla)
{
    if (fila.Tecla != tecla.codigo)
        return false;
    const int m = tecla.mayusculas;
    switch (fila.Regla) {
    case Regla::Siempre: return true;
    case Regla::Sin: return m == 0;
    case Regla::Con: return m != 0;
    case Regla::SoloShift: return m == ShiftMask;
    case Regla::SalvoSoloShift: return m != ShiftMask;
    case Regla::Exacta: return m == fila.Mayusculas;
    }
    return false;
}

QString ComandoDeModo(diseno::Modo modo)
{
    static const char *const nombres[] = {"ModoPantalla", "ModoReal",     "ModoAncho",    "ModoAlto",
                                          "ModoEstirado", "ModoDinamico", "ModoContinuo", "ModoDosPaginas"};
    return QString::fromLatin1(nombres[diseno::Numero(modo) - 1]);
}

const std::vector<Fila> &TeclasPorDefecto()
{
    using R = Regla;
    static const std::vector<Fila> filas = [] {
        std::vector<Fila> f{
            // Before Shift+Space: the help shows these as the keys of the first and last page.
            F(Qt::Key_Home, "PrimeraPagina"),  F(Qt::Key_End, "UltimaPagina"),
            F(Qt::Key_F1, "Informacion"),      F(Qt::Key_F2, "AbrirArchivo"),
            F(Qt::Key_F3, "GuardarImagen"),    F(Qt::Key_F5, "Coleccion"),
            F(Qt::Key_F7, "InfoPagina"),       F(Qt::Key_F8, "VentanaZoom"),
            F(Qt::Key_F9, "Lupa"),             F(Qt::Key_F10, "MiniPaginas"),
            F(Qt::Key_F11, "Propiedades"),     F(Qt::Key_F12, "Acercade"),
        };
        for (int k : {Qt::Key_Space, Qt::Key_PageDown, Qt::Key_Return}) {
            f.push_back(F(k, "PaginaSiguiente", R::Sin));
            f.push_back(F(k, "PrimeraPagina", R::Con));
        }
        for (int k : {Qt::Key_Backspace, Qt::Key_PageUp}) {
            f.push_back(F(k, "PaginaAnterior", R::Sin));
            f.push_back(F(k, "UltimaPagina", R::Con));
        }
        for (int i = 0; i < 8; ++i)
            f.push_back({Qt::Key_1 + i, R::Siempre, ComandoDeModo(diseno::Modo(i + 1)), 0});
        f.push_back(F(Qt::Key_9, "ParteAnterior", R::Sin));
        f.push_back(F(Qt::Key_9, "ReiniciarParte", R::Con));
        f.push_back(F(Qt::Key_0, "ParteSiguiente", R::Sin));
        f.push_back(F(Qt::Key_0, "ReiniciarParte", R::Con));
        f.push_back(F(Qt::Key_Z, "AumentarZoom", R::Sin));
        f.push_back(F(Qt::Key_Z, "ReducirZoom", R::Con));
        const std::pair<int, const char *> flechas[] = {
            {Qt::Key_Up, "VerArriba"}, {Qt::Key_Down, "VerAbajo"},
            {Qt::Key_Left, "VerIzquierda"}, {Qt::Key_Right, "VerDerecha"}};
        for (const auto &[k, c] : flechas) {
            f.push_back(F(k, c, R::SalvoSoloShift));
            f.push_back({k, R::SoloShift, QString::fromLatin1(c) + QStringLiteral("Rapido"), 0});
        }
        const std::pair<int, const char *> letras[] = {
            {Qt::Key_B, "BarraNavegacion"}, {Qt::Key_D, "OrdenPartes"},  {Qt::Key_E, "Efectos"},
            {Qt::Key_I, "CambiarIdioma"},   {Qt::Key_L, "ListaMarcadores"}, {Qt::Key_O, "CambiarOSD"},
            {Qt::Key_J, "DerechaAIzquierda"},
            {Qt::Key_Q, "Minimizar"},       {Qt::Key_U, "AbrirUltimo"},  {Qt::Key_V, "RepetirMensaje"},
            {Qt::Key_Escape, "Salir"}};
        for (const auto &[k, c] : letras)
            f.push_back(F(k, c));
        const std::tuple<int, const char *, const char *> dobles[] = {
            {Qt::Key_A, "PaseAutomatico", "CambiarIntervalo"},
            {Qt::Key_C, "ColorFondo", "FondoNegro"},
            {Qt::Key_F, "ReflejarHorizontal", "ReflejarVertical"},
            {Qt::Key_K, "EmparejarPaginas", "DesplazarPliegos"},
            {Qt::Key_M, "AgregarMarcador", "QuitarMarcador"},
            {Qt::Key_N, "ComicSiguiente", "ComicAnterior"},
            {Qt::Key_P, "PaginasPrevias", "ListaPaginas"},
            {Qt::Key_R, "GirarDerecha", "GirarIzquierda"}};
        for (const auto &[k, sin, con] : dobles) {
            f.push_back(F(k, sin, R::Sin));
            f.push_back(F(k, con, R::Con));
        }
        return f;
    }();
    return filas;
}

TablaTeclas::TablaTeclas() : filas_(TeclasPorDefecto()) {}

QString TablaTeclas::Comando(const Tecla &tecla) const
{
    if (tecla.codigo == 0)
        return {};
    const auto fila = std::find_if(filas_.begin(), filas_.end(), [&](const Fila &f) { return Acepta(f, tecla); });
    return fila == filas_.end() ? QString() : fila->Comando;
}

QStringList PartirTeclas(const QString &valor)
{
    QStringList partes;
    QString parte;
    for (const QChar c : valor) {
        const QString hecha = parte.trimmed();
        if (c == u',' && !hecha.isEmpty() && !hecha.endsWith(u'+')) {
            partes << hecha;
            parte.clear();
        } else {
            parte += c;
        }
    }
    if (!parte.trimmed().isEmpty())
        partes << parte.trimmed();
    return partes;
}

std::vector<Rechazo> TablaTeclas::Agregar(const std::vector<std::pair<QString, QString>> &lineas,
                                          const std::function<QString(const QString &)> &nombreComando)
{
    constexpr int Desconocido = 1241, Ilegible = 1242, Ocupada = 1243;
    std::vector<Rechazo> rechazos;
    for (const auto &[nombre, valor] : lineas) {
        const QString comando = nombreComando(nombre);
        if (comando.isEmpty()) {
            rechazos.push_back({nombre + u'=' + valor, Desconocido});
            continue;
        }
        const QStringList partes = PartirTeclas(valor);
        if (partes.isEmpty())
            rechazos.push_back({nombre + u'=' + valor, Ilegible});
        for (const QString &parte : partes) {
            const QKeySequence s = QKeySequence::fromString(parte, QKeySequence::PortableText);
            const Tecla t = s.count() == 1 ? Normalizar(s[0].key(), s[0].keyboardModifiers()) : Tecla{};
            if (t.codigo == 0) {
                rechazos.push_back({nombre + u'=' + parte, Ilegible});
            } else if (!Comando(t).isEmpty()) {
                rechazos.push_back({nombre + u'=' + parte, Ocupada});
            } else {
                filas_.push_back({t.codigo, Regla::Exacta, comando, t.mayusculas});
            }
        }
    }
    return rechazos;
}

QString NombreTecla(int codigo)
{
    switch (codigo) {
    case Qt::Key_Space: return modIdioma::TextoIdioma(600);
    case Qt::Key_Backspace: return modIdioma::TextoIdioma(601);
    case Qt::Key_Escape: return QStringLiteral("Esc");
    case Qt::Key_Up: return QStringLiteral("↑");
    case Qt::Key_Down: return QStringLiteral("↓");
    case Qt::Key_Left: return QStringLiteral("←");
    case Qt::Key_Right: return QStringLiteral("→");
    default: return QKeySequence(codigo).toString(QKeySequence::NativeText);
    }
}

QString TeclasDe(const QStringList &comandos)
{
    QString nombres;
    bool shift = false;
    for (const QString &c : comandos) {
        const auto &filas = TeclasPorDefecto();
        const auto fila = std::find_if(filas.begin(), filas.end(), [&](const Fila &f) { return f.Comando == c; });
        if (fila == filas.end())
            continue;
        shift = shift || fila->Regla == Regla::Con || fila->Regla == Regla::SoloShift;
        nombres += NombreTecla(fila->Tecla);
    }
    return shift ? QStringLiteral("⇧ + ") + nombres : nombres;
}

QString ComandoHacia(Lado lado, bool hastaElFinal, bool derechaAIzquierda)
{
    if ((lado == Lado::Derecha) != derechaAIzquierda)
        return hastaElFinal ? QStringLiteral("UltimaPagina") : QStringLiteral("PaginaSiguiente");
    return hastaElFinal ? QStringLiteral("PrimeraPagina") : QStringLiteral("PaginaAnterior");
}

} // namespace teclas
