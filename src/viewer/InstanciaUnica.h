#pragma once
// One viewer per program folder: a second process finds the lock taken and
// ends before it reads or writes any setting, handing its document to the
// viewer that holds the lock. The lock of a process that died without letting
// go (its PID is gone) does not count, nor does the socket it left.
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

class InstanciaUnica : public QObject {
    Q_OBJECT
public:
    // Tries to take the lock of `carpetaPrograma`; the first one listens for
    // the documents later starts hand over.
    explicit InstanciaUnica(const QString &carpetaPrograma, QObject *parent = nullptr);
    ~InstanciaUnica() override;

    bool EsLaPrimera() const { return primera; }
    // Lets go of the lock and removes its file and the socket; for an exit
    // that skips the destructors.
    void Soltar();

    // A later start: hands `ruta` (made absolute against this process's
    // working folder) to the running viewer. False when nobody took it.
    bool Entregar(const QString &ruta) const;

    // The socket's path, in the private temporary folder.
    const QString &Direccion() const { return direccion; }

    // The longest message taken; a path is never longer.
    static constexpr qint64 MaximoMensaje = 16 * 1024;
    // A connection that has not finished its line by then is dropped, so
    // that silent ones never pile up.
    static constexpr int EsperaLineaMs = 2000;

signals:
    // Another start of the same user handed over the document at `ruta`.
    void DocumentoRecibido(const QString &ruta);

private:
    void Escuchar();
    void Leer(QLocalSocket *s);

    std::unique_ptr<QLockFile> cerrojo;
    QString direccion;
    std::unique_ptr<QLocalServer> servidor;
    bool primera = false;
};

// What a hand-over message carries when it names a document: the path of an
// existing file, absolute, in one line of UTF-8. Empty for anything else.
QString RutaEntregada(const QByteArray &mensaje);
