# Tests of threaded code. Included by einheit/CMakeLists.txt, and alone by the tsan preset.
morvelunt_test(test_parallel
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Parallel_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ParallelSperre_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ParallelWaechter_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ParallelStress_test.cpp
  LIBS zarvoklassen
  TIMEOUT 300)
# The image tests include eight threads loading and writing images at once.
morvelunt_test(test_bild
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Bild_test.cpp ${CMAKE_CURRENT_LIST_DIR}/Bild_Lesen_test.cpp
  LIBS zarvoklassen testbilder squish::squish)
# The patch generator's requests, scheduling, job lifetime and soak (no image pages).
morvelunt_test(test_generator_parallel
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/GeneratorParallel_test.cpp
  LIBS testerbauer spiel_generator spiel_welt spiel_grafik zarvoklassen
  TIMEOUT 300)
