#pragma once
// Reading and writing TMD files over plain values: bytes in, a model out, or the reverse. Neither
// shows a message nor touches a document; a failure is an error code, which the caller turns into
// what its user sees.
#include "Result.h"
#include "TmdModel.h"
#include "VertexSharing.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace polyvane {

enum class TmdReadError {
    truncatedHeader, // fewer bytes than the file header
    badId,           // the header's ID is not a TMD's
    badObjectTable,  // the first object's tables start past the end
    badFile,         // a table, vertex, normal or packet lies outside the file
    noRecordMemory,  // an object's records could not be allocated
};
[[nodiscard]] const char* TmdReadErrorText(TmdReadError error);

// The most records ReadTmd decodes from one file, all objects together (about 0.7 GB of records).
// Objects may share one packet block, so the file's size does not bound their sum; a file that
// claims more is refused before its records are allocated.
inline constexpr std::uint64_t kMaxTmdRecords = 2'000'000;

// Decodes a whole TMD file. Files that declare more than kMaxObjects objects keep the first
// kMaxObjects. Every object gets a records array, empty ones included, holding its polygons (its
// entry's n_primitive counts them); every other packet is kept as read. More than `maxRecords`
// packets in all is a bad file.
[[nodiscard]] Result<TmdModel, TmdReadError> ReadTmd(std::span<const std::uint8_t> file,
                                                     std::uint64_t maxRecords = kMaxTmdRecords);

enum class TmdWriteError {
    noMemory,        // the file cannot be addressed or its buffer allocated
    noVertexMemory,  // the shared-vertex table could not be allocated
    noNormalMemory,  // the shared-normal table could not be allocated
    tooManyVertices, // an object has more distinct vertices than 16-bit indices reach
    tooManyNormals,  // an object has more distinct normals than 16-bit indices reach
};
[[nodiscard]] const char* TmdWriteErrorText(TmdWriteError error);

struct TmdWriteFailure {
    TmdWriteError error = TmdWriteError::noMemory;
    // The object being written when it failed; kMaxObjects when it failed before any object.
    std::uint32_t object = kMaxObjects;
};

struct TmdBytes {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    [[nodiscard]] std::span<const std::uint8_t> bytes() const { return {data.get(), size}; }
};

// Encodes every record as a polygon packet from its integer fields (ix.., inx..), with the vertices
// and normals they share found by those values, and writes every kept packet back in its place with
// its vertex indices pointing at the coordinates it was read with. The model is only read.
[[nodiscard]] Result<TmdBytes, TmdWriteFailure> WriteTmd(const ModelRef& model,
                                                         SharingMethod method = SharingMethod::hashed);

// The same over a whole model value, as PrepareForSave returns it.
[[nodiscard]] Result<TmdBytes, TmdWriteFailure> WriteTmd(const TmdModel& model,
                                                         SharingMethod method = SharingMethod::hashed);

// The model as a save writes it: its records with the normals a save stores (those read from the
// file where the geometry is unchanged, otherwise unit face normals and normalised averages at shared
// vertices) and the integer fields made from the coordinates, its counts those it holds. Saving is
// WriteTmd(PrepareForSave(std::move(model))): a model taken by value is prepared without a copy.
[[nodiscard]] TmdModel PrepareForSave(TmdModel model, SharingMethod method = SharingMethod::hashed);

// One 28-byte entry of a TMD's object table, as it lies in the file.
[[nodiscard]] TmdObject LoadTmdObjectEntry(const std::uint8_t* entry);

// Size in bytes of the packet WriteTmd writes for a record with these attribute bits.
[[nodiscard]] std::size_t PacketSize(std::uint16_t attr);

} // namespace polyvane
