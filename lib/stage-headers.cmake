# Copies the client headers into the staged include folder OUTPUT/vornlut/, each include of
# a project header prefixed with "vornlut/", so that a client includes <vornlut/VornLut.h>
# and no folder of ours (core/, platform/) stands beside its own at the top of its include
# path. Files are rewritten only when their text changes.
#   cmake -DSOURCE=DIR -DOUTPUT=DIR -DHEADERS="core/LUT.h;..." -P stage-headers.cmake
foreach(header IN LISTS HEADERS)
  file(READ ${SOURCE}/${header} text)
  string(REGEX REPLACE "#include \"(platform|core|codecs|imaging|formats)/"
                       "#include \"vornlut/\\1/" text "${text}")
  string(REGEX REPLACE "^lib/" "" staged ${header})
  file(WRITE ${OUTPUT}/vornlut/${staged}.new "${text}")
  file(COPY_FILE ${OUTPUT}/vornlut/${staged}.new ${OUTPUT}/vornlut/${staged} ONLY_IF_DIFFERENT)
  file(REMOVE ${OUTPUT}/vornlut/${staged}.new)
endforeach()
