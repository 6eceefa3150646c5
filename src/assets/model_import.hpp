// Model import: VisibleObject::loadModel is defined in model_import.cpp, the only place that
// talks to the model-import library. This header names the import settings the game relies on.
#pragma once

namespace vantor {

// Tangent space, triangulation, smooth normals and flipped UVs; nothing else (identical vertices
// stay separate and node transforms are not applied).
constexpr unsigned int modelImportFlags = 0x00800049u;

// Printed, followed by the path, when a model file cannot be read.
constexpr const char* modelOpenFailedMessage = "The file wasn't successfully opened ";

}  // namespace vantor
