; Veska Pro demo batch. `make demo` runs it from the repository root:
;   veska batch examples/demo.bat --log build/demo/demo.log
; input, big cursor, small cursor, output
examples/shadows.png, 41, 3, build/demo/shadows-veska.png
examples/harbour.jpg, 31, 3, build/demo/harbour-veska.jpg
examples/cells16.tif, 401, 21, build/demo/cells16-veska.tif
examples/heights.asc, 201, 9, build/demo/heights-veska.png
