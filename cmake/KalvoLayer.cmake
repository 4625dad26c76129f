# A runtime layer's include folders: its public folder include/ for everyone
# who links the layer, and the layer's own folder (internal/, the back-end
# folders) for its sources and for the white-box tests that link
# kalvo_<layer>_internal explicitly (headers only: they link the layer too).
function(kalvo_layer_headers target layer_dir)
  target_include_directories(${target} PUBLIC ${layer_dir}/include PRIVATE ${layer_dir})
  add_library(${target}_internal INTERFACE)
  target_include_directories(${target}_internal INTERFACE ${layer_dir})
endfunction()
