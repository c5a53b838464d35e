// Splitting the configured Z/EVES command line into the words of a program
// start, so that it is started directly and never through a shell.
#pragma once

#include <string>
#include <vector>

namespace tarn::cli {

// Words are separated by blanks and tabs. Single quotes keep everything up
// to the next single quote; double quotes keep everything up to the next
// double quote, where \" and \\ stand for " and \; elsewhere a backslash
// keeps the next character. Raises the invalid-call error for an
// unterminated quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The words with every "{file}" in them replaced by the absolute path of the
// document, which so stays within its word whatever characters it holds.
// Raises the invalid-call error when a word names the document but it went
// to standard output ("-").
std::vector<std::string> NameDocument(std::vector<std::string> words, const std::string& fileName);

}  // namespace tarn::cli
