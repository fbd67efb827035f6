# Tool windows see the document, the view and the commands, never the main
# window: no file under src/views or src/collection may include a Form1 header.
file(GLOB_RECURSE fuentes "${RAIZ}/src/views/*" "${RAIZ}/src/collection/*")
foreach(f IN LISTS fuentes)
  file(STRINGS "${f}" lineas REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]*Form1[^>\"]*[>\"]")
  if(lineas)
    message(FATAL_ERROR "${f} includes a main-window header: ${lineas}")
  endif()
endforeach()
