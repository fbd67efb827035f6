# Folders are layers: a file may include from its own layer and the ones
# below it, never from above. Run at configure time and at every build.
set(capas
  "shell archive imaging"   # the ground
  "documento"               # the open document and its pages; no widgets
  "viewer"                  # the view state and the commands
  "views collection"        # tool windows
  "app miniaturero")        # the main window and the programs
set(nivel 0)
foreach(capa IN LISTS capas)
  separate_arguments(carpetas UNIX_COMMAND "${capa}")
  foreach(c IN LISTS carpetas)
    set(nivel_${c} ${nivel})
  endforeach()
  math(EXPR nivel "${nivel} + 1")
endforeach()

file(GLOB carpetas_src LIST_DIRECTORIES true RELATIVE "${RAIZ}/src" "${RAIZ}/src/*")
foreach(carpeta IN LISTS carpetas_src)
  if(NOT IS_DIRECTORY "${RAIZ}/src/${carpeta}")
    continue()
  endif()
  if(NOT DEFINED nivel_${carpeta})
    message(FATAL_ERROR "src/${carpeta} belongs to no layer: add it to cmake/ComprobarCapas.cmake")
  endif()
  file(GLOB_RECURSE fuentes "${RAIZ}/src/${carpeta}/*.h" "${RAIZ}/src/${carpeta}/*.cpp")
  foreach(f IN LISTS fuentes)
    file(STRINGS "${f}" lineas REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(linea IN LISTS lineas)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/.*" "\\1" incluida "${linea}")
      if(DEFINED nivel_${incluida} AND nivel_${incluida} GREATER nivel_${carpeta})
        message(FATAL_ERROR "${f} includes from a layer above its own (${carpeta} < ${incluida}): ${linea}")
      endif()
    endforeach()
  endforeach()
endforeach()
