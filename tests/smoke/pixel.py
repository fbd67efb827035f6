#!/usr/bin/env python3
"""Checks one pixel of a PNG screenshot: 'pagina' (a light, warm page colour)
or 'fondo' (the black background)."""
import struct
import sys
import zlib


def pixel(ruta, x, y):
    datos = open(ruta, 'rb').read()
    pos, idat, ancho = 8, b'', 0
    while pos < len(datos):
        largo, tipo = struct.unpack('>I4s', datos[pos:pos + 8])
        cuerpo = datos[pos + 8:pos + 8 + largo]
        if tipo == b'IHDR':
            ancho = struct.unpack('>I', cuerpo[:4])[0]
        elif tipo == b'IDAT':
            idat += cuerpo
        pos += 12 + largo
    filas = zlib.decompress(idat)
    paso = 1 + ancho * 3  # written unfiltered, RGB
    inicio = y * paso + 1 + x * 3
    return tuple(filas[inicio:inicio + 3])


ruta, x, y, clase = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
r, g, b = pixel(ruta, x, y)
ok = (r > 150 and r >= b) if clase == 'pagina' else (r + g + b < 30)
print(f'pixel ({x},{y}) = {r},{g},{b}: {clase} {"ok" if ok else "WRONG"}')
sys.exit(0 if ok else 1)
