// Model import: VisibleObject::loadModel is defined in model_import.cpp, the only place that
// talks to the model-import library. This header names the import settings the game relies on
// and the cache that spares repeated reads of one file.
#pragma once

#include <memory>

#include "assets/texture_loader.hpp"

namespace vantor {

// Tangent space, triangulation, smooth normals and flipped UVs; nothing else (identical vertices
// stay separate and node transforms are not applied).
constexpr unsigned int modelImportFlags = 0x00800049u;

// Printed, followed by the path, when a model file cannot be read.
constexpr const char* modelOpenFailedMessage = "The file wasn't successfully opened ";

}  // namespace vantor

namespace vantor::scene {

// While one of these lives, each model file is read once and each image decoded once: later loads
// of the same file take the arrays of the first read, and its textures the pixels of the first
// decode. Every object still gets its own meshes, textures and collision data, and every message
// is printed again, so nothing but the time differs. The scene assembly holds one, since every
// platform of a course is the same cloud. Scopes may nest; the innermost is used.
class ModelImportCache {
  public:
    ModelImportCache();
    ~ModelImportCache();
    ModelImportCache(const ModelImportCache&) = delete;
    ModelImportCache& operator=(const ModelImportCache&) = delete;

    struct Models;  // opaque: only the import reads it

  private:
    std::unique_ptr<Models> models;
    Models* outer;
    ImageDecodeCache images;
};

}  // namespace vantor::scene
