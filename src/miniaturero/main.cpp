// tavelo-miniatura: the thumbnailer file managers run on comics.
#include "miniaturero/Miniaturero.h"

int main(int argc, char **argv)
{
    miniaturero::Limitar();
    return miniaturero::Principal(argc, argv);
}
