# The database windows: registration, ratings and the games journal, with the
# grid they share and the main menu's way into them. Included by the shell's
# CMakeLists after shell_core.
if(TARGET db)
  add_library(shell_dbwindows STATIC
    ${CMAKE_CURRENT_LIST_DIR}/DbGrid.cpp ${CMAKE_CURRENT_LIST_DIR}/DbGrid.h
    ${CMAKE_CURRENT_LIST_DIR}/DbMenuActions.cpp ${CMAKE_CURRENT_LIST_DIR}/DbMenuActions.h
    ${CMAKE_CURRENT_LIST_DIR}/PlayerList.cpp ${CMAKE_CURRENT_LIST_DIR}/PlayerList.h
    ${CMAKE_CURRENT_LIST_DIR}/PlayerManagement.cpp ${CMAKE_CURRENT_LIST_DIR}/PlayerManagement.h
    ${CMAKE_CURRENT_LIST_DIR}/ServerAway.cpp ${CMAKE_CURRENT_LIST_DIR}/ServerAway.h
    ${CMAKE_CURRENT_LIST_DIR}/ServerWaitNote.cpp ${CMAKE_CURRENT_LIST_DIR}/ServerWaitNote.h
    ${CMAKE_CURRENT_LIST_DIR}/Unit5.cpp ${CMAKE_CURRENT_LIST_DIR}/Unit5.h
    ${CMAKE_CURRENT_LIST_DIR}/Unit7.cpp ${CMAKE_CURRENT_LIST_DIR}/Unit7.h
    ${CMAKE_CURRENT_LIST_DIR}/Unit8.cpp ${CMAKE_CURRENT_LIST_DIR}/Unit8.h)
  target_link_libraries(shell_dbwindows PUBLIC shell_core db record desktop_games text Qt6::Widgets Qt6::Sql)
  if(TARGET ratings_db)
    add_dependencies(shell_dbwindows ratings_db)
  endif()
endif()
