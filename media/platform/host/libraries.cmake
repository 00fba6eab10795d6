# Libraries of the host services (included by media/CMakeLists.txt). Each area adds
# its own block.

# Sound decoders: libsndfile (compressed WAV), libvorbisfile (Ogg Vorbis), libmpg123.
pkg_check_modules(PAVEX_SOUND_DECODERS REQUIRED IMPORTED_TARGET sndfile vorbisfile libmpg123)
target_link_libraries(pavex_host PUBLIC PkgConfig::PAVEX_SOUND_DECODERS)
