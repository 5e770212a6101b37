# cmake -DIN=<file> -DOUT=<file> -P crlf.cmake: copies IN to OUT with Windows
# line ends (CR LF), as text files for Windows customarily have.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
