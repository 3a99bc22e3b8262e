# Runs the layer-order rule on one case:
#   cmake -DSOURCE_DIR=<project> -DFOLDER=<folder> -DUSES=<a|b> -P check_layer_order.cmake
cmake_minimum_required(VERSION 3.25)
include(${SOURCE_DIR}/cmake/Layers.cmake)
string(REPLACE "|" ";" uses "${USES}")
velmora_check_layer_order(${FOLDER} "${uses}")
message(STATUS "layer order kept")
