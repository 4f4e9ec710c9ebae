// The opening every customer source list shares: the customer, store and bill number
// as variables, the stores to look in (0 = every store of the branch not deleted) and
// the start of the result table. A macro of string literals, so each query stays one
// literal text, byte for byte.
#pragma once

#define KHSK_SOURCE_LIST_HEAD \
    "declare\r\n" \
    "  @kh_id int,@ck_id int,@orgid varchar(10),@billno varchar(50)\r\n" \
    "\r\n" \
    "set @kh_id=:kh_id\r\n" \
    "set @ck_id=:ck_id\r\n" \
    "set @orgid=:orgid\r\n" \
    "set @billno=:billno\r\n" \
    "\r\n" \
    "declare @cklist table(\r\n" \
    "  id int\r\n" \
    ")\r\n" \
    "\r\n" \
    "if @ck_id = 0 \r\n" \
    "begin\r\n" \
    "  insert into @cklist(id)\r\n" \
    "    select id from vt_b_ckbmk where orgid=@orgid and isdel=0\r\n" \
    "end else\r\n" \
    "  insert into @cklist(id) values (@ck_id)\r\n" \
    "\r\n" \
    "\r\n" \
    "declare @res table(\r\n" \
    "  biztype varchar(50),\r\n" \
    "  hxbillid int,\r\n" \
    "  hxbillno varchar(50),\r\n" \
    "  hxversion int,\r\n" \
    "  hxbilldate smalldatetime,\r\n" \
    "  hjje money default 0,\r\n" \
    "  hxje_ok money default 0,\r\n" \
    "  hxje_no money default 0,\r\n" \
    "  bchx money  default 0,\r\n"
