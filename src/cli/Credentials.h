#pragma once
// User names and passwords for keymora-cli: asked on the terminal without echo,
// or read as lines of standard input when that is not a terminal. They live in
// WipedStrings and are never printed.
#include <optional>
#include <string>
#include <string_view>

#include "cli/Command.h"
#include "session/DocumentSession.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

// Credentials as they key a file: leading and trailing blanks removed. The
// session's own type, so a prompt fills what an open asks for directly.
using Credentials = FileCredentials;

// Reads one secret: on the terminal (prompt on the terminal, echo off) when
// ctx.interactive, else one line of ctx.in with the trailing CR/LF removed.
// Throws CliError when there is nothing to read.
void readSecret(Context& ctx, std::string_view prompt, std::string& secret);

// Asks the password of an existing file and checks it.
void askLogin(Context& ctx, std::string_view userId, std::string_view fileTitle,
              Credentials& out);

// Asks a new password twice and checks the pair with the user name.
void askNewCredentials(Context& ctx, std::string_view userId, std::string_view fileTitle,
                       Credentials& out);

// The file name without its folders, for prompts.
std::string fileTitleOf(std::string_view path);

}  // namespace keymora::cli
