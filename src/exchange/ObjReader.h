#pragma once
// Our reader of OBJ files (and the MTL files they name) for the import library, in place of the
// library's own: the library's reader sets up a 16 MiB buffer on every read, whatever the file's size.
// It builds the scene the library's reader would (a node for each object or group, a mesh for each run
// of faces with one material, the materials' diffuse colour, opacity, lighting and texture), so the
// library's post-processing and our conversion work on it as before.

namespace Assimp {
class Importer;
}

namespace polyvane {

// Registers our OBJ reader with `importer` and retires the library's own.
void UseOurObjReader(Assimp::Importer& importer);

} // namespace polyvane
