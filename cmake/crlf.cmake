# Copies IN to OUT with CR LF line ends, for Windows' Notepad; with BOM set
# it starts the copy with a UTF-8 byte order mark, which is what tells
# Notepad on older Windows that the file is UTF-8 and not the local code
# page (Japanese text would show as garbage otherwise).
#   cmake -DIN=file -DOUT=file [-DBOM=ON] -P crlf.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
if(BOM)
  string(ASCII 239 187 191 mark)
  set(text "${mark}${text}")
endif()
file(WRITE "${OUT}" "${text}")
