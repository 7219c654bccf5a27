# Lays out the workbench's page in TARGET: the page's own files from SOURCE and the libraries it
# loads from SOURCE/node_modules, as plain files the server hands out.
set(modules ${SOURCE}/node_modules)
foreach(file three/build/three.module.js three/build/three.core.js
             three/examples/jsm/controls/OrbitControls.js uplot/dist/uPlot.esm.js uplot/dist/uPlot.min.css)
  if(NOT EXISTS ${modules}/${file})
    message(FATAL_ERROR "The workbench's libraries are missing (${modules}/${file}): run "
                        "scripts/bootstrap.sh, or npm ci in ${SOURCE}")
  endif()
endforeach()
file(REMOVE_RECURSE ${TARGET})
file(MAKE_DIRECTORY ${TARGET}/vendor)
# The page's ES modules sit flat beside index.html (the glob takes no subfolders); they import
# one another by relative path, which the server's content-security policy ('self') allows.
file(GLOB page ${SOURCE}/*.html ${SOURCE}/*.css ${SOURCE}/*.js ${SOURCE}/*.png)
file(COPY ${page} DESTINATION ${TARGET})
file(COPY ${modules}/three/build/three.module.js ${modules}/three/build/three.core.js
          ${modules}/uplot/dist/uPlot.esm.js ${modules}/uplot/dist/uPlot.min.css
     DESTINATION ${TARGET}/vendor)
# The orbit controls import three by its package name; the page has no import map, so the
# import names the file beside it.
file(READ ${modules}/three/examples/jsm/controls/OrbitControls.js controls)
string(REPLACE "from 'three'" "from './three.module.js'" controls "${controls}")
file(WRITE ${TARGET}/vendor/OrbitControls.js "${controls}")
