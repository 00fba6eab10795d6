# Libraries of the host services, included by media/CMakeLists.txt. Each area adds its
# own block.

# Sound decoders: libsndfile (compressed WAV), libvorbisfile (Ogg Vorbis), libmpg123.
pkg_check_modules(PAVEX_SOUND_DECODERS REQUIRED IMPORTED_TARGET sndfile vorbisfile libmpg123)
target_link_libraries(pavex_host PUBLIC PkgConfig::PAVEX_SOUND_DECODERS)

# Picture decoders of the graphics area (image_png.cpp, image_jpeg.cpp).
pkg_check_modules(PAVEX_IMAGE_LIBS REQUIRED IMPORTED_TARGET libpng libjpeg)
target_link_libraries(pavex_host PUBLIC PkgConfig::PAVEX_IMAGE_LIBS)
if(VORLANE_FUZZ)
  # Fuzzing builds skip the PNG checksums so mutated inputs reach the decoder.
  target_compile_definitions(pavex_host PRIVATE FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
endif()

# Text and movies: fontconfig and FreeType (font_face.cpp), FFmpeg's demuxers,
# decoders and scaler (movie_decode.cpp).
pkg_check_modules(PAVEX_TEXT_MOVIE_LIBS REQUIRED IMPORTED_TARGET
  freetype2 fontconfig libavformat libavcodec libswscale libavutil)
target_link_libraries(pavex_host PUBLIC PkgConfig::PAVEX_TEXT_MOVIE_LIBS)
