/*
 * tovan32.h - the FTP client library tovan32.dll.
 *
 * Blocking calls over WinSock, one connection per handle (an int > 0).
 * Every function is __stdcall with C linkage, exported under its plain name.
 * ftp_lasterror() reports on the latest call of the process, whichever
 * connection it was for.
 */
#ifndef TOVAN32_H
#define TOVAN32_H

#ifdef __cplusplus
extern "C" {
#endif

#define TOVANAPI __stdcall

int TOVANAPI ftp_login(const char* host, const char* user, const char* password, const char* account);
int TOVANAPI ftp_relogin(int h, const char* user, const char* password, const char* account);
int TOVANAPI ftp_gatelogin(int h, const char* host, const char* user, const char* password,
                           const char* account);
int TOVANAPI ftp_quit(int h);
int TOVANAPI ftp_cd(int h, const char* remoteDir);
int TOVANAPI ftp_put(int h, const char* localFile, const char* remoteFile);
int TOVANAPI ftp_get(int h, const char* remoteFile, const char* localFile);
int TOVANAPI ftp_mput(int h, const char* localSpec, const char* reserved);
int TOVANAPI ftp_mget(int h, const char* remoteSpec);
int TOVANAPI ftp_dir(int h, const char* remoteDir, const char* localFile);
int TOVANAPI ftp_ls(int h, const char* remoteDir, const char* localFile);
int TOVANAPI ftp_quote(int h, const char* command, char* reply, int replySize);
int TOVANAPI ftp_abort(int h);
int TOVANAPI ftp_setascii(int h);
int TOVANAPI ftp_setbinary(int h);
int TOVANAPI ftp_localunique(int h);
int TOVANAPI ftp_storeunique(int h);
int TOVANAPI ftp_statusbox(int h, int on);
int TOVANAPI ftp_lasterror(char* buffer, int size);

#ifdef __cplusplus
}
#endif

#endif /* TOVAN32_H */
