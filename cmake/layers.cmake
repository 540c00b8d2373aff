# The layers of src/: each folder is one library, and this table is the one place that says which
# folders each may use. The build links by it, and cmake/check_layers.cmake fails the build when
# a file includes a folder that its own folder's row does not name, or a platform's headers
# outside that platform's folder. A new arrow between folders is a line changed here, on purpose.
#
#   hg_layer(<folder> [USES <folder>...] [LINKS <folder>...])
#
# USES: the folder's files may include the other folder's headers; its library links the other's.
# LINKS: linked, never included. Form1 is one class whose sound routines are defined in audio/,
# which includes scene/form1.h: the scene's objects call them, so its library links audio's.
hg_layer(common)
hg_layer(media)
hg_layer(settings USES common)
hg_layer(startup USES common)
hg_layer(scene USES startup settings common LINKS audio)
hg_layer(audio USES scene common)
hg_layer(config USES scene settings common)
hg_layer(display USES scene media common)
hg_layer(sound USES scene media)
hg_layer(platform/win32 USES startup settings scene config display sound common)
hg_layer(platform/linux USES startup settings scene display sound media common)
