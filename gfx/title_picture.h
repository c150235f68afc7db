// The 64 x 64 title picture, read once at start-up from "lh0.txt" in the data
// folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

constexpr int TitlePictureSize = 64;

// TitlePicture[x][y], y = 0 the bottom row. 0 = transparent.
extern int32_t TitlePicture[TitlePictureSize][TitlePictureSize];

// Fills TitlePicture from a stream of whitespace-separated integers, bottom row
// first. Once an extraction fails every later cell stays 0.
void ReadTitlePicture(std::istream& in);

// The most of the file that is read: far more than 4096 numbers need.
constexpr size_t MaxTitlePictureFileBytes = 16u << 20;

// Reads file number 0 of "<directory>/lh%d.txt"; a missing file, or anything
// there that is not a regular file, leaves the picture empty.
void ReadTitlePictureFile(const std::string& directory);
