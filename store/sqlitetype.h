#pragma once

namespace kerulo {

/// SQLite's fundamental type codes, used for result columns and named parameters.
namespace SqliteType {
constexpr int Integer = 1;
constexpr int Float = 2;
constexpr int Text = 3;
constexpr int Blob = 4;
constexpr int Null = 5;
} // namespace SqliteType

} // namespace kerulo
