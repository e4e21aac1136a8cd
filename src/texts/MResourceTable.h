#pragma once

// The contents of the string table: one German and (mostly) one English text per id.
namespace MResourceTable {

// Adds every row of the table, in table order, by one MResources::AddResource call per id.
void FillResourceTable();

} // namespace MResourceTable
