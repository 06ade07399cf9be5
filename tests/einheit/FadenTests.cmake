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
# The tests' fixed clock read on other threads while frames step.
morvelunt_test(test_takt_faden SOURCES ${CMAKE_CURRENT_LIST_DIR}/TaktFaden_test.cpp LIBS plattform_system)
# The patch builders on eight workers at once and the game's builder table through the generator.
morvelunt_test(test_patchbau_faeden
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PatchbauFaeden_test.cpp
  LIBS spiel_generator spiel_welt spiel_grafik zarvoklassen testbilder
  TIMEOUT 300)
target_include_directories(test_patchbau_faeden PRIVATE ${PROJECT_SOURCE_DIR}/tests/generator ${CMAKE_CURRENT_LIST_DIR})
# The scene's moving parts with their render instances, built by real jobs.
morvelunt_test(test_szene_instanzen
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SzeneInstanzen_test.cpp
  LIBS testerbauer spiel_szene spiel_generator spiel_welt spiel_grafik zarvoklassen
  TIMEOUT 300)
