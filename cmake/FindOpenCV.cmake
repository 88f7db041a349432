# Finds the OpenCV modules named as COMPONENTS from their headers and libraries alone. Debian
# ships OpenCV's own package configuration only with libopencv-dev, which pulls in every module
# (video, DNN, VTK); the program needs core, imgproc and imgcodecs.
# Sets OpenCV_FOUND, OpenCV_INCLUDE_DIRS, OpenCV_LIBS and the imported targets opencv_<name>.
find_path(OpenCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4)
set(OpenCV_LIBS "")
set(_opencv_required OpenCV_INCLUDE_DIR)
foreach(_component IN LISTS OpenCV_FIND_COMPONENTS)
  find_library(OpenCV_${_component}_LIBRARY opencv_${_component})
  list(APPEND _opencv_required OpenCV_${_component}_LIBRARY)
  if(OpenCV_${_component}_LIBRARY AND OpenCV_INCLUDE_DIR AND NOT TARGET opencv_${_component})
    add_library(opencv_${_component} UNKNOWN IMPORTED)
    set_target_properties(opencv_${_component} PROPERTIES
      IMPORTED_LOCATION "${OpenCV_${_component}_LIBRARY}"
      INTERFACE_INCLUDE_DIRECTORIES "${OpenCV_INCLUDE_DIR}")
  endif()
  list(APPEND OpenCV_LIBS opencv_${_component})
endforeach()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(OpenCV REQUIRED_VARS ${_opencv_required})
set(OpenCV_INCLUDE_DIRS ${OpenCV_INCLUDE_DIR})
mark_as_advanced(OpenCV_INCLUDE_DIR)
