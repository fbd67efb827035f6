#!/usr/bin/env python3
"""Turns a 24/32-bit TrueColor XWD screen dump (xwd -root) into a PNG."""
import struct
import sys
import zlib


def main(origen, destino):
    datos = open(origen, 'rb').read()
    campos = struct.unpack('>25I', datos[:100])
    tam_cabecera, ancho, alto = campos[0], campos[4], campos[5]
    orden, bpp, por_linea, ncolores = campos[7], campos[11], campos[12], campos[19]
    # 32 bits per pixel usually; 24 (packed) when a shaped window is on screen.
    if bpp not in (24, 32):
        sys.exit('only 24 or 32 bits per pixel are supported')
    paso = bpp // 8
    inicio = tam_cabecera + ncolores * 12
    filas = []
    for y in range(alto):
        linea = datos[inicio + y * por_linea: inicio + y * por_linea + ancho * paso]
        fila = bytearray(b'\0')
        if orden == 0:  # LSBFirst: B G R X
            for x in range(0, len(linea), paso):
                fila += bytes((linea[x + 2], linea[x + 1], linea[x]))
        else:
            for x in range(0, len(linea), paso):
                fila += linea[x + paso - 3:x + paso]
        filas.append(bytes(fila))

    def trozo(tipo, cuerpo):
        return (struct.pack('>I', len(cuerpo)) + tipo + cuerpo
                + struct.pack('>I', zlib.crc32(tipo + cuerpo) & 0xffffffff))

    png = b'\x89PNG\r\n\x1a\n' + trozo(b'IHDR', struct.pack('>IIBBBBB', ancho, alto, 8, 2, 0, 0, 0))
    png += trozo(b'IDAT', zlib.compress(b''.join(filas), 6)) + trozo(b'IEND', b'')
    open(destino, 'wb').write(png)


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2])
